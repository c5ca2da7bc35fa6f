// AddTagDialog: "Add Tag", the online browser of "Select tag online" on a connected server
// (online_browser.h).
//
// A hierarchical server shows the tree "Root" with its branches; each branch carries a
// placeholder child "Dummy" until it is first expanded, which lists its sub-branches. Selecting
// a node lists its leaves (fully qualified ids, browsed with the first filter "一次过滤"); the
// node keeps that list, so later selections show it again whatever the filter is then. A flat
// server shows one flat list of every item id instead of the tree and the leaf list. "FILTER"
// keeps the rows of the shown list whose id contains the second filter "二次过滤：".
//
// "ADD1>>>" resolves the chosen rows into selected tags (tag_batch.h): "批量读属性" validates
// each batch at once, "逐条读属性" reads each item's properties; "单次添加最大个数" is the batch
// limit, "添加点检查是否重复" skips ids already selected. Many rows are resolved in chunks behind
// a progress dialog that can cancel. "delete tag" (right click) removes selected tags; OK ends
// the dialog with the selected tags.
//
// The status line reads "成功获取OPC组织形式：树形结构" / "成功获取OPC组织形式：FLAT结构" after
// opening, "数据显示OK.." after a leaf list was shown, and "OPC 需要重新创建连接..." when the
// server cannot browse. A server without browsing gets the box "Browsing not supported" and an
// empty dialog; the batch mode without the group's item management the box "itemMgt is not
// ready".
#pragma once

#include <QDialog>
#include <string>
#include <unordered_map>
#include <vector>

#include "desktop/message_boxes.h"
#include "maker/online/online_browser.h"
#include "maker/ui/id_list_model.h"
#include "maker/ui/selected_tags_model.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace tavrel {

inline constexpr std::size_t kAddChunk = 500;

class AddTagDialog : public QDialog {
 public:
  AddTagDialog(const ServerLink& link, MessageBoxes& boxes, QWidget* parent = nullptr);

  // The commands.
  void ShowLeavesOf(QTreeWidgetItem* node);
  void ExpandBranch(QTreeWidgetItem* node);
  void ApplySecondFilter();
  void AddChosen();
  void DeleteSelectedTags();

  const std::vector<TagCandidate>& Selected() const { return selected_; }
  QTreeWidget& Tree() { return *tree_; }
  // The leaf list of a hierarchical server, or the flat list of a flat one.
  QTableView& ShownList() { return hierarchical_ ? *leafList_ : *flatList_; }
  IdListModel& ShownIds() { return hierarchical_ ? leaves_ : flat_; }
  QTableView& SelectedList() { return *selectedList_; }

 private:
  void ShowTree();
  void ShowFlatList();
  void AddBranches(QTreeWidgetItem* parent, const std::vector<std::string>& names);
  std::vector<std::string> PathOf(const QTreeWidgetItem* node) const;
  std::vector<std::string> ChosenIds() const;
  void SetStatus(const char* text);

  OnlineBrowser browser_;
  MessageBoxes& boxes_;
  bool hierarchical_ = true;
  std::unordered_map<const QTreeWidgetItem*, std::vector<std::string>> keptLeaves_;
  std::vector<TagCandidate> selected_;
  IdListModel leaves_;
  IdListModel flat_;
  SelectedTagsModel selectedModel_;

  QTreeWidget* tree_;
  QTableView* leafList_;
  QTableView* flatList_;
  QTableView* selectedList_;
  QLineEdit* firstFilter_;
  QLineEdit* secondFilter_;
  QRadioButton* batchMode_;
  QRadioButton* itemMode_;
  QLineEdit* batchLimit_;
  QCheckBox* checkDuplicates_;
  QLineEdit* status_;
};

}  // namespace tavrel
