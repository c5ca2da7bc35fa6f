// IdListModel: a numbered list of item ids, the online browser's leaf list and flat list.
//
// Columns: the 1-based row number and the id, with the header texts given. Rows are made when a
// view asks for them, so a list of 100,000 ids costs the ids alone. Holds no widgets.
#pragma once

#include <QAbstractTableModel>
#include <string>
#include <vector>

class IdListModel final : public QAbstractTableModel {
 public:
  IdListModel(QString indexTitle, QString idTitle, QObject* parent = nullptr);

  void SetIds(std::vector<std::string> ids);
  const std::vector<std::string>& Ids() const { return ids_; }
  // Keeps the ids containing `part` (exact, case-sensitive), numbered again from 1.
  void KeepContaining(const std::string& part);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  QString titles_[2];
  std::vector<std::string> ids_;
};
