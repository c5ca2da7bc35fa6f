#include "maker/id_list_model.h"

#include "desktop/gbk_text.h"

IdListModel::IdListModel(QString indexTitle, QString idTitle, QObject* parent)
    : QAbstractTableModel(parent), titles_{std::move(indexTitle), std::move(idTitle)} {}

void IdListModel::SetIds(std::vector<std::string> ids) {
  beginResetModel();
  ids_ = std::move(ids);
  endResetModel();
}

void IdListModel::KeepContaining(const std::string& part) {
  beginResetModel();
  std::erase_if(ids_, [&](const std::string& id) { return id.find(part) == std::string::npos; });
  endResetModel();
}

int IdListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(ids_.size());
}

int IdListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant IdListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole || index.row() >= rowCount()) return {};
  if (index.column() == 0) return index.row() + 1;
  return FromGbk(ids_[static_cast<std::size_t>(index.row())]);
}

QVariant IdListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 1) {
    return {};
  }
  return titles_[section];
}
