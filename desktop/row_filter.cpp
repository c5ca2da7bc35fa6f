#include "desktop/row_filter.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace tavrel {

namespace {

// The rows above `index` and its own, from the top: the order a tree or table shows rows in.
std::vector<int> RowPath(QModelIndex index) {
  std::vector<int> path;
  for (; index.isValid(); index = index.parent()) path.push_back(index.row());
  std::reverse(path.begin(), path.end());
  return path;
}

// Turns the copy key on a view into a copy of whole rows. The view's own handling copies the
// current cell only; the filter sees the key first and takes it.
class RowCopier final : public QObject {
 public:
  explicit RowCopier(QAbstractItemView& view) : QObject(&view), view_(view) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool copyKey =
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy);
    if (!copyKey) return QObject::eventFilter(watched, event);
    // Taking the override keeps window shortcuts from claiming the key.
    if (event->type() == QEvent::KeyPress) {
      QGuiApplication::clipboard()->setText(SelectedRowsText(view_));
    }
    event->accept();
    return true;
  }

 private:
  QAbstractItemView& view_;
};

// The text of a QVariant holding one, without a copy (the filter's and the sort's inner loop).
const QString* TextOf(const QVariant& value) {
  return value.typeId() == QMetaType::QString ? static_cast<const QString*>(value.constData())
                                              : nullptr;
}

bool Contains(const QVariant& value, const QString& text) {
  if (const QString* shown = TextOf(value)) return shown->contains(text, Qt::CaseInsensitive);
  return value.toString().contains(text, Qt::CaseInsensitive);
}

bool Less(const QVariant& a, const QVariant& b) {
  const QString* textA = TextOf(a);
  const QString* textB = TextOf(b);
  if (textA != nullptr && textB != nullptr) return textA->compare(*textB, Qt::CaseInsensitive) < 0;
  const QPartialOrdering order = QVariant::compare(a, b);
  if (order == QPartialOrdering::Unordered) {
    return a.toString().compare(b.toString(), Qt::CaseInsensitive) < 0;
  }
  return order == QPartialOrdering::Less;
}

}  // namespace

RowFilter::RowFilter(QObject* parent) : QSortFilterProxyModel(parent) { setFilterKeyColumn(-1); }

void RowFilter::setSourceModel(QAbstractItemModel* source) {
  for (const QMetaObject::Connection& connection : sourceConnections_) disconnect(connection);
  sourceConnections_.clear();
  Forget();
  // Connected before the base class connects its own handlers, so that the kept values are
  // current when it filters and sorts again in reaction to the same signal.
  if (source != nullptr) {
    const auto forget = [this] { Forget(); };
    using Model = QAbstractItemModel;
    sourceConnections_ = {
        connect(source, &Model::modelAboutToBeReset, this, forget),
        connect(source, &Model::layoutAboutToBeChanged, this, forget),
        connect(source, &Model::rowsAboutToBeInserted, this, forget),
        connect(source, &Model::rowsAboutToBeRemoved, this, forget),
        connect(source, &Model::rowsAboutToBeMoved, this, forget),
        connect(source, &Model::columnsAboutToBeInserted, this, forget),
        connect(source, &Model::columnsAboutToBeRemoved, this, forget),
        connect(source, &Model::columnsAboutToBeMoved, this, forget),
        connect(source, &Model::dataChanged, this, &RowFilter::Refresh),
    };
  }
  QSortFilterProxyModel::setSourceModel(source);
}

void RowFilter::SetFilterText(const QString& text) {
  if (text == filterText_) return;
  // A reset rather than the base class's row by row update: a filter that keeps every tenth of
  // 100,000 rows removes 90,000 ranges one signal each, and each costs the view a pass over
  // its rows.
  beginResetModel();
  filterText_ = text;
  endResetModel();
}

QVariant RowFilter::Value(const QModelIndex& sourceIndex) const {
  if (const QVariant* kept = Kept(sourceIndex)) return *kept;
  return sourceModel()->data(sourceIndex);
}

const QVariant* RowFilter::Kept(const QModelIndex& sourceIndex) const {
  const QAbstractItemModel* source = sourceModel();
  if (sourceIndex.parent().isValid()) return nullptr;
  std::vector<QVariant>& values = kept_[sourceIndex.column()];
  if (values.empty()) {
    const int rows = source->rowCount();
    values.reserve(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row) {
      values.push_back(source->data(source->index(row, sourceIndex.column())));
    }
  }
  const auto row = static_cast<size_t>(sourceIndex.row());
  return row < values.size() ? &values[row] : nullptr;
}

void RowFilter::Refresh(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
  if (topLeft.parent().isValid()) return;
  for (auto& [column, values] : kept_) {
    if (column < topLeft.column() || column > bottomRight.column()) continue;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
      if (static_cast<size_t>(row) < values.size()) {
        values[static_cast<size_t>(row)] = sourceModel()->data(sourceModel()->index(row, column));
      }
    }
  }
}

bool RowFilter::Matches(int sourceRow, int column, const QModelIndex& sourceParent) const {
  const QModelIndex cell = sourceModel()->index(sourceRow, column, sourceParent);
  if (const QVariant* kept = Kept(cell)) return Contains(*kept, filterText_);
  return Contains(sourceModel()->data(cell), filterText_);
}

bool RowFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
  if (filterText_.isEmpty()) return true;
  const int key = filterKeyColumn();
  if (key >= 0) return Matches(sourceRow, key, sourceParent);
  const int columns = sourceModel()->columnCount(sourceParent);
  for (int column = 0; column < columns; ++column) {
    if (Matches(sourceRow, column, sourceParent)) return true;
  }
  return false;
}

bool RowFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
  const QVariant* keptLeft = Kept(left);
  const QVariant* keptRight = Kept(right);
  if (keptLeft != nullptr && keptRight != nullptr) return Less(*keptLeft, *keptRight);
  return Less(Value(left), Value(right));
}

QLineEdit* MakeFilterField(RowFilter& filter, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setPlaceholderText(QStringLiteral("Filter"));
  field->setAccessibleName(QStringLiteral("Filter"));
  field->setClearButtonEnabled(true);
  QObject::connect(field, &QLineEdit::textChanged, &filter, &RowFilter::SetFilterText);
  return field;
}

QString SelectedRowsText(const QAbstractItemView& view) {
  const QItemSelectionModel* selection = view.selectionModel();
  if (selection == nullptr || view.model() == nullptr) return {};
  // Every row with a selected cell, once, in the order the view shows rows.
  std::map<std::vector<int>, QModelIndex> ordered;
  for (const QModelIndex& cell : selection->selectedIndexes()) {
    ordered.try_emplace(RowPath(cell), cell.siblingAtColumn(0));
  }
  QString text;
  for (const auto& [path, row] : ordered) {
    const int columns = view.model()->columnCount(row.parent());
    for (int column = 0; column < columns; ++column) {
      if (column > 0) text += QLatin1Char('\t');
      text += row.siblingAtColumn(column).data().toString();
    }
    text += QLatin1Char('\n');
  }
  return text;
}

void EnableRowCopy(QAbstractItemView& view) { view.installEventFilter(new RowCopier(view)); }

}  // namespace tavrel
