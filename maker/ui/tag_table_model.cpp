#include "maker/ui/tag_table_model.h"

#include "desktop/gbk_text.h"
#include "desktop/type_text.h"
#include "maker/project/tag_texts.h"

namespace tavrel {

namespace {

void AppendTags(const GroupNode& group, std::vector<TagNode*>& tags) {
  for (const auto& tag : group.tags) tags.push_back(tag.get());
}

}  // namespace

TagTableModel::TagTableModel(QObject* parent)
    : TitledTableModel({"INDEX", "ID", "TYPE", "READ/WRITE"}, parent) {}

void TagTableModel::ShowTagsOf(const ProjectNode* node) {
  beginResetModel();
  tags_.clear();
  shown_ = node;
  if (node != nullptr && node->kind == NodeKind::kGroup) {
    AppendTags(*static_cast<const GroupNode*>(node), tags_);
  } else if (node != nullptr && node->kind == NodeKind::kServer) {
    for (const auto& group : static_cast<const ServerNode*>(node)->groups)
      AppendTags(*group, tags_);
  } else {
    shown_ = nullptr;
  }
  endResetModel();
}

void TagTableModel::Rebuild() { ShowTagsOf(shown_); }

void TagTableModel::RefreshRow(int row) {
  emit dataChanged(index(row, 0), index(row, kColumnCount - 1), {Qt::DisplayRole});
}

TagNode* TagTableModel::TagAt(int row) const {
  return row >= 0 && row < static_cast<int>(tags_.size()) ? tags_[static_cast<size_t>(row)]
                                                          : nullptr;
}

int TagTableModel::RowCount() const { return static_cast<int>(tags_.size()); }

QVariant TagTableModel::Cell(int row, int column) const {
  const TagNode& tag = *tags_[static_cast<std::size_t>(row)];
  switch (column) {
    case kIndexColumn:
      return row + 1;
    case kIdColumn:
      return FromGbk(tag.id);
    case kTypeColumn:
      return FromGbk(TagListTypeText(tag.vt));
    case kDirectionColumn:
      return FromGbk(AccessRightText(tag.dir));
    default:
      return {};
  }
}

}  // namespace tavrel
