// TagTableModel: the tags of the current tree item, one row each.
//
// Columns "INDEX" (1-based row number), "ID" (item id), "TYPE" (tag_texts.h) and "READ/WRITE"
// (the direction's name). A group shows its tags; a server the tags of all its groups, group
// after group; anything else nothing. Rows are computed when a view asks for them, so a list
// of 100,000 tags costs one pointer per row. The model holds no widgets.
#pragma once

#include <vector>

#include "desktop/titled_table_model.h"
#include "maker/project/project_nodes.h"

namespace tavrel {

class TagTableModel final : public TitledTableModel {
 public:
  enum Column { kIndexColumn, kIdColumn, kTypeColumn, kDirectionColumn, kColumnCount };

  explicit TagTableModel(QObject* parent = nullptr);

  // The tags of `node` (server or group), or none for any other node or null.
  void ShowTagsOf(const ProjectNode* node);
  // Lists the shown node's tags again (after tags were added or deleted).
  void Rebuild();
  // After a tag's fields changed.
  void RefreshRow(int row);

  const ProjectNode* ShownNode() const { return shown_; }
  TagNode* TagAt(int row) const;

 private:
  int RowCount() const override;
  QVariant Cell(int row, int column) const override;

  const ProjectNode* shown_ = nullptr;
  std::vector<TagNode*> tags_;
};

}  // namespace tavrel
