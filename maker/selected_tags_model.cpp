#include "maker/selected_tags_model.h"

#include "bridge/core/type_text.h"
#include "desktop/gbk_text.h"
#include "maker/tag_texts.h"

void SelectedTagsModel::Rebuild() {
  beginResetModel();
  endResetModel();
}

int SelectedTagsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(tags_.size());
}

int SelectedTagsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant SelectedTagsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole || index.row() >= rowCount()) return {};
  const TagCandidate& tag = tags_[static_cast<std::size_t>(index.row())];
  switch (index.column()) {
    case kIndexColumn:
      return index.row() + 1;
    case kIdColumn:
      return FromGbk(tag.id);
    case kTypeColumn:
      return FromGbk(SelectedTagTypeText(tag.vt));
    case kDirectionColumn:
      return FromGbk(AccessRightText(tag.dir));
    case kPathColumn:
      return FromGbk(tag.path);
    default:
      return {};
  }
}

QVariant SelectedTagsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static constexpr const char* kTitles[] = {"index", "tag ID", "data type", "direction", "path"};
  if (section < 0 || section >= kColumnCount) return {};
  return QString::fromLatin1(kTitles[section]);
}
