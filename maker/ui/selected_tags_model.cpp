#include "maker/ui/selected_tags_model.h"

#include "desktop/gbk_text.h"
#include "desktop/type_text.h"
#include "maker/project/tag_texts.h"

namespace tavrel {

SelectedTagsModel::SelectedTagsModel(std::vector<TagCandidate>& tags, QObject* parent)
    : TitledTableModel({"index", "tag ID", "data type", "direction", "path"}, parent),
      tags_(tags) {}

void SelectedTagsModel::Rebuild() {
  beginResetModel();
  endResetModel();
}

int SelectedTagsModel::RowCount() const { return static_cast<int>(tags_.size()); }

QVariant SelectedTagsModel::Cell(int row, int column) const {
  const TagCandidate& tag = tags_[static_cast<std::size_t>(row)];
  switch (column) {
    case kIndexColumn:
      return row + 1;
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

}  // namespace tavrel
