// TagGridModel: the live values of one group's tags, one row per tag, for the main panel's grid.
//
// Columns "序号" (1-based row number), "组名称", "TagId", "当前值" (the value's text),
// "质量戳" ("good"/"bad"), "最后更新时间" (the value's time stamp), "类型" (requested type),
// "方向" (direction) and "更新计数" ("%u"). A tag that has had no value yet (its item was refused,
// or the server has not sent one) is "bad" and has no time, whatever its empty slot says. The four
// live columns show the value the model last took from the tag's slot (a locked copy,
// tag_live_value.h): a row takes it when a view first asks for it, and again when RefreshRows
// covers it, which reports the rows whose value has changed since. Refreshing only the rows on
// screen keeps a group of 100,000 tags cheap. The model holds no widgets; it is used on the
// user-interface thread only.
#pragma once

#include <array>
#include <vector>

#include "bridge/core/project_tree.h"
#include "desktop/titled_table_model.h"

namespace tavrel {

class TagGridModel final : public TitledTableModel {
 public:
  enum Column {
    kRowColumn,
    kGroupColumn,
    kTagColumn,
    kValueColumn,
    kQualityColumn,
    kTimeColumn,
    kTypeColumn,
    kDirectionColumn,
    kCountColumn,
    kColumnCount
  };
  // The grid's column widths in pixels, by column.
  static constexpr std::array<int, kColumnCount> kColumnWidths{50,  70, 180, 160, 50,
                                                               160, 80, 80,  80};

  explicit TagGridModel(QObject* parent = nullptr);

  // The tags of `group`, or none for null.
  void ShowGroup(const ProjectGroup* group);
  const ProjectGroup* ShownGroup() const { return group_; }
  // The tag of `row`, or null when there is none.
  ProjectTag* TagAt(int row) const;

  // Takes the live values of rows `first` to `last` (clamped to the rows there are) and
  // reports those that changed; returns how many did.
  int RefreshRows(int first, int last);

 private:
  int RowCount() const override;
  QVariant Cell(int row, int column) const override;

  struct ShownValue {
    bool taken = false;
    TagLiveValue value;
  };
  const TagLiveValue& ValueAt(int row) const;

  const ProjectGroup* group_ = nullptr;
  mutable std::vector<ShownValue> shown_;  // by row; taken when first asked for
};

}  // namespace tavrel
