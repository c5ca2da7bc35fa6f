#include "desktop/row_filter.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

namespace tavrel {
namespace {

// Rows of (index, id): the shape of the tag lists.
class RowFilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::pair<int, const char*> rows[] = {
        {10, "Plant.Temp1"}, {9, "plant.PRESSURE"}, {100, "Other.Flow"}};
    for (const auto& [number, id] : rows) {
      source_.appendRow({new QStandardItem, new QStandardItem(QString::fromLatin1(id))});
      source_.setData(source_.index(source_.rowCount() - 1, 0), number);
    }
    filter_.setSourceModel(&source_);
  }

  QStringList Shown(int column = 1) const {
    QStringList texts;
    for (int row = 0; row < filter_.rowCount(); ++row)
      texts << filter_.index(row, column).data().toString();
    return texts;
  }

  QStandardItemModel source_;
  RowFilter filter_;
  QAbstractItemModelTester tester_{&filter_, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(RowFilterTest, KeepsRowsContainingTheTextIgnoringCase) {
  const struct {
    const char* text;
    int column;
    QStringList shown;
  } cases[] = {
      {"", 1, {"Plant.Temp1", "plant.PRESSURE", "Other.Flow"}},
      {"plant", 1, {"Plant.Temp1", "plant.PRESSURE"}},
      {"PRESS", 1, {"plant.PRESSURE"}},
      {"r.f", 1, {"Other.Flow"}},
      {"zzz", 1, {}},
      {"10", 1, {}},                              // the id column only
      {"10", -1, {"Plant.Temp1", "Other.Flow"}},  // any column
  };
  for (const auto& c : cases) {
    filter_.setFilterKeyColumn(c.column);
    filter_.SetFilterText(QString::fromLatin1(c.text));
    EXPECT_EQ(Shown(), c.shown) << c.text << " in column " << c.column;
  }
}

TEST_F(RowFilterTest, SortsNumbersAsNumbersAndTextsAsTexts) {
  filter_.sort(0, Qt::AscendingOrder);
  EXPECT_EQ(Shown(0), (QStringList{"9", "10", "100"}));
  filter_.sort(1, Qt::DescendingOrder);
  EXPECT_EQ(Shown(), (QStringList{"Plant.Temp1", "plant.PRESSURE", "Other.Flow"}));
}

TEST_F(RowFilterTest, FollowsChangesOfTheSource) {
  filter_.SetFilterText(QStringLiteral("flow"));
  filter_.sort(0);
  EXPECT_EQ(Shown(), QStringList{"Other.Flow"});
  source_.setData(source_.index(0, 1), QStringLiteral("Water.FLOW"));
  EXPECT_EQ(Shown(), (QStringList{"Water.FLOW", "Other.Flow"}));
  source_.insertRow(0, {new QStandardItem, new QStandardItem(QStringLiteral("Air.Flow"))});
  source_.setData(source_.index(0, 0), 1);
  EXPECT_EQ(Shown(), (QStringList{"Air.Flow", "Water.FLOW", "Other.Flow"}));
  source_.removeRows(0, 2);
  EXPECT_EQ(Shown(), QStringList{"Other.Flow"});
  source_.clear();
  EXPECT_EQ(Shown(), QStringList{});
}

TEST_F(RowFilterTest, FieldSetsTheFilterText) {
  std::unique_ptr<QLineEdit> field(MakeFilterField(filter_));
  field->setText(QStringLiteral("other"));
  EXPECT_EQ(Shown(), QStringList{"Other.Flow"});
}

TEST_F(RowFilterTest, CopyKeyCopiesTheSelectedRowsAsShown) {
  QTableView view;
  view.setModel(&filter_);
  view.setSelectionBehavior(QAbstractItemView::SelectRows);
  view.setSelectionMode(QAbstractItemView::ExtendedSelection);
  EnableRowCopy(view);
  filter_.sort(0, Qt::DescendingOrder);  // 100, 10, 9
  const QItemSelectionModel::SelectionFlags rows =
      QItemSelectionModel::Select | QItemSelectionModel::Rows;
  view.selectionModel()->select(filter_.index(2, 0), rows);
  view.selectionModel()->select(filter_.index(0, 0), rows);
  view.selectionModel()->setCurrentIndex(filter_.index(2, 1), QItemSelectionModel::NoUpdate);
  QApplication::clipboard()->clear();
  QTest::keySequence(&view, QKeySequence::Copy);
  EXPECT_EQ(QApplication::clipboard()->text(), "100\tOther.Flow\n9\tplant.PRESSURE\n");
  view.clearSelection();
  EXPECT_EQ(SelectedRowsText(view), QString());
}

TEST(RowFilterTreeTest, KeepsTheParentsOfMatchingChildren) {
  QStandardItemModel source;
  auto* server = new QStandardItem(QStringLiteral("S1"));
  server->appendRow(new QStandardItem(QStringLiteral("G1")));
  server->appendRow(new QStandardItem(QStringLiteral("Pumps")));
  source.appendRow(server);
  source.appendRow(new QStandardItem(QStringLiteral("S2")));
  RowFilter filter;
  filter.setRecursiveFilteringEnabled(true);
  filter.setSourceModel(&source);
  QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::Fatal);
  filter.SetFilterText(QStringLiteral("pump"));
  ASSERT_EQ(filter.rowCount(), 1);
  const QModelIndex kept = filter.index(0, 0);
  EXPECT_EQ(kept.data().toString(), "S1");
  ASSERT_EQ(filter.rowCount(kept), 1);
  EXPECT_EQ(filter.index(0, 0, kept).data().toString(), "Pumps");
}

}  // namespace
}  // namespace tavrel
