#include "maker/ui/id_list_model.h"

#include "desktop/gbk_text.h"

namespace tavrel {

IdListModel::IdListModel(QString indexTitle, QString idTitle, QObject* parent)
    : TitledTableModel({std::move(indexTitle), std::move(idTitle)}, parent) {}

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

int IdListModel::RowCount() const { return static_cast<int>(ids_.size()); }

QVariant IdListModel::Cell(int row, int column) const {
  if (column == 0) return row + 1;
  return FromGbk(ids_[static_cast<std::size_t>(row)]);
}

}  // namespace tavrel
