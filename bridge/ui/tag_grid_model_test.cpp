#include "bridge/ui/tag_grid_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "bridge/ui/ui_test_project.h"
#include "common/log_time.h"
#include "desktop/gbk_text.h"

namespace tavrel {

namespace {

class TagGridModelTest : public ::testing::Test {
 protected:
  std::string Text(int row, int column) {
    return ToGbk(model_.data(model_.index(row, column)).toString());
  }
  void Apply(int handle, std::string_view text, std::string_view quality) {
    project_->FindTag(handle)->liveValue.ApplyTextValue(text, quality, time_, nullptr);
  }

  std::unique_ptr<BridgeProject> project_ = MakeUiTestProject();
  const ProjectGroup& group_ = *project_->Servers()[0]->groups[0];
  TagGridModel model_;
  QAbstractItemModelTester tester_{&model_, QAbstractItemModelTester::FailureReportingMode::Fatal};
  WallTime time_{1700000000, 250};
};

TEST_F(TagGridModelTest, ColumnsAndTextsOfAGroup) {
  model_.ShowGroup(&group_);
  Apply(0, "12.5", "192");
  Apply(1, "7", "0");
  ASSERT_EQ(model_.rowCount(), 3);
  ASSERT_EQ(model_.columnCount(), 9);
  const char* headers[] = {"序号",         "组名称", "TagId", "当前值",  "质量戳",
                           "最后更新时间", "类型",   "方向",  "更新计数"};
  for (int column = 0; column < 9; ++column) {
    EXPECT_EQ(ToGbk(model_.headerData(column, Qt::Horizontal).toString()), headers[column]);
  }
  const std::string time = FormatTagTime(time_.seconds, time_.milliseconds);
  EXPECT_EQ(Text(0, 0), "1");
  EXPECT_EQ(Text(0, 1), "G1");
  EXPECT_EQ(Text(0, 2), "a.b.c");
  EXPECT_EQ(Text(0, 3), "12.5");
  EXPECT_EQ(Text(0, 4), "good");
  EXPECT_EQ(Text(0, 5), time);
  EXPECT_EQ(Text(0, 6), "Double");
  EXPECT_EQ(Text(0, 7), "读写");
  EXPECT_EQ(Text(0, 8), "1");
  EXPECT_EQ(Text(1, 4), "bad");
  EXPECT_EQ(Text(2, 7), "只写");
  EXPECT_EQ(Text(2, 8), "0");
  EXPECT_EQ(Text(2, 4), "bad");  // no value yet: not good, and no time of 1970
  EXPECT_EQ(Text(2, 5), "");
  EXPECT_EQ(model_.TagAt(2)->id, "flag");
  EXPECT_EQ(model_.TagAt(3), nullptr);

  model_.ShowGroup(nullptr);
  EXPECT_EQ(model_.rowCount(), 0);
}

TEST_F(TagGridModelTest, RefreshReportsOnlyChangedRowsInItsRange) {
  model_.ShowGroup(&group_);
  for (int row = 0; row < 3; ++row) Text(row, 3);  // a view has shown every row
  std::vector<int> reported;
  QObject::connect(&model_, &QAbstractItemModel::dataChanged,
                   [&](const QModelIndex& first, const QModelIndex& last) {
                     EXPECT_EQ(first.column(), TagGridModel::kValueColumn);
                     EXPECT_EQ(last.column(), TagGridModel::kCountColumn);
                     reported.push_back(first.row());
                   });
  EXPECT_EQ(model_.RefreshRows(0, 2), 0);
  Apply(0, "1", "192");
  Apply(2, "1", "192");
  EXPECT_EQ(model_.RefreshRows(1, 99), 1);  // row 0 is outside the range
  EXPECT_EQ(reported, std::vector<int>{2});
  EXPECT_EQ(Text(0, 3), "");  // kept until refreshed
  EXPECT_EQ(model_.RefreshRows(0, 2), 1);
  EXPECT_EQ(Text(0, 3), "1");
  EXPECT_EQ(Text(0, 8), "1");
  EXPECT_EQ(reported, (std::vector<int>{2, 0}));
}

}  // namespace

}  // namespace tavrel
