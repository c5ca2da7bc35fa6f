// SelectedTagsModel: the tags chosen in the online browser, one row each.
//
// Columns "index" (1-based), "tag ID", "data type" (SelectedTagTypeText), "direction" (the
// access right's name) and "path". Holds no widgets.
#pragma once

#include <vector>

#include "desktop/titled_table_model.h"
#include "maker/project/tag_candidates.h"

namespace tavrel {

class SelectedTagsModel final : public TitledTableModel {
 public:
  enum Column { kIndexColumn, kIdColumn, kTypeColumn, kDirectionColumn, kPathColumn, kColumnCount };

  explicit SelectedTagsModel(std::vector<TagCandidate>& tags, QObject* parent = nullptr);

  // After the tags changed.
  void Rebuild();

 private:
  int RowCount() const override;
  QVariant Cell(int row, int column) const override;

  std::vector<TagCandidate>& tags_;
};

}  // namespace tavrel
