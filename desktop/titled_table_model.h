// TitledTableModel: a flat, read-only table whose columns have fixed titles, the shape of the
// programs' tag and id lists.
//
// A derived model says how many rows it has and what a cell shows; this class answers the
// rest: no children, the column count and horizontal titles, and nothing for roles other than
// display or for cells out of range (views ask for those too).
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace tavrel {

class TitledTableModel : public QAbstractTableModel {
 public:
  int rowCount(const QModelIndex& parent = {}) const final;
  int columnCount(const QModelIndex& parent = {}) const final;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const final;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const final;

 protected:
  explicit TitledTableModel(QStringList titles, QObject* parent = nullptr)
      : QAbstractTableModel(parent), titles_(std::move(titles)) {}

  virtual int RowCount() const = 0;
  // What the cell at `row` (0 .. RowCount()-1) and `column` (a title's index) shows.
  virtual QVariant Cell(int row, int column) const = 0;

 private:
  const QStringList titles_;
};

}  // namespace tavrel
