// EditorWindow: the project editor. The tree of servers and groups on the left, the tags of
// the current item on the right, every command in the context menus and on the keyboard.
//
// The current item is the one last selected or right-clicked; commands act on its node.
// Every change of servers, groups or tags sets the modified flag (editing a tag's name or
// description does not: the project file keeps neither). Closing the window with the flag
// set asks "Save Config?"; Yes saves. Ctrl+S and File > Save save at any time; a save to the
// project file clears the flag.
//
// A failed save says which file and why ("Save Config failed: <path>" and the system's
// reason) and asks whether to try again; if not, whether to save the project to another file
// (chosen in a file dialog). When nothing could be saved the window stays open with every
// edit, so that closing it never loses them unless "Save Config?" is answered No.
//
// The tag list's functions on the current group: "Select tag online" (add_tag_dialog.h), "Load
// Tag From Disk" (csv_tags.h), "Auto Match Tag Attribute" (match_dialog.h) and "从全部标签中筛点"
// (tag_pick_dialog.h). The adding ways skip ids a tag of the server is already named with and
// then say "tag has exsit!" once; every way that changed tags sets the modified flag and lists
// the group's tags again.
//
// Deleting more than one tag asks "delete <n> tags?" first.
//
// The tag list has a filter field (the rows whose id contains its text, ignoring case), sorts
// by any column when its header is clicked, and Ctrl+C copies the selected rows as
// tab-separated text (desktop/row_filter.h).
//
// Undo (Ctrl+Z, Edit > Undo; redo Ctrl+Y or Ctrl+Shift+Z) takes back the last kUndoLimit edits
// of tags (deletes, adds, CSV imports, matches, tag properties) and of server and group
// configurations (undoable_edits.h), and sets the modified flag. Deleting a server or a group
// cannot be undone and empties the undo history.
//
// Keyboard: Delete deletes the selection (the current tree item, or the selected tag rows);
// Enter or F2 opens the configuration of the current tree item, or the properties of the
// current tag row.
#pragma once

#include <QMainWindow>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/message_boxes.h"
#include "desktop/row_filter.h"
#include "desktop/server_config_dialog.h"
#include "maker/project/maker_project.h"
#include "maker/project/project_store.h"
#include "maker/project/tag_candidates.h"
#include "maker/ui/server_tree_model.h"
#include "maker/ui/tag_table_model.h"

class QLineEdit;
class QMenu;
class QTableView;
class QTreeView;

namespace tavrel {

class TagsEdit;

class EditorWindow : public QMainWindow {
 public:
  static constexpr int kUndoLimit = 30;

  // Loads the project of `programDirectory`. `chooser` runs the server chooser for the server
  // dialog's "SEL SERVER" (default: the chooser dialog).
  EditorWindow(std::string programDirectory, MessageBoxes& boxes, QWidget* parent = nullptr,
               ServerChooserLauncher chooser = {});
  ~EditorWindow() override;

  // Asks for a file; empty when the user cancelled.
  using FileChooser = std::function<std::string()>;
  // Replace the file dialogs "open csv file" and of saving elsewhere (tests).
  void SetCsvFileChooser(FileChooser chooser) { csvChooser_ = std::move(chooser); }
  void SetSaveElsewhereChooser(FileChooser chooser) { saveElsewhereChooser_ = std::move(chooser); }

  // Tells the user, once the window shows, when the project file did not parse.
  void ReportLoadProblem();

  // The context menus, built for the current state; null where no menu shows.
  std::unique_ptr<QMenu> TreeMenuAt(const QModelIndex& index);
  std::unique_ptr<QMenu> TagListMenu();

  // The commands, on the current item.
  void NewServer();
  void ConfigureCurrent();
  void DeleteCurrent();
  void NewGroup();
  void LaunchTest();
  void DeleteSelectedTags();
  void OpenTagProperties();
  void SelectTagOnline();
  void LoadTagsFromDisk();
  void AutoMatchTagAttributes();
  void PickFromTagList();
  // True when the project was written, to the project file or, after a failure, elsewhere.
  bool Save();

  bool IsModified() const { return modified_; }
  MakerProject& Project() { return project_; }
  ServerTreeModel& TreeModel() { return treeModel_; }
  TagTableModel& TagModel() { return tagModel_; }
  RowFilter& TagFilter() { return tagFilter_; }
  QLineEdit& TagFind() { return *tagFind_; }
  QUndoStack& UndoStack() { return undoStack_; }
  QTreeView& Tree() { return *tree_; }
  QTableView& TagList() { return *tagList_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  ProjectNode* CurrentNode() const;
  void SetCurrent(const QModelIndex& index);
  void ConfigureServer(ServerNode& server);
  void ConfigureGroup(GroupNode& group);
  bool RunServerDialog(ServerNode& server);
  void ShowAbout();
  void MarkModified() { modified_ = true; }
  GroupNode* CurrentGroup() const;
  void AddCandidates(GroupNode& group, const std::vector<TagCandidate>& candidates);
  // A tag list of 100,000 rows scrolls back to the top when it is listed again; keep it.
  void RelistTags();
  // The tags of the selected rows of the tag list, in the list's order.
  std::vector<TagNode*> SelectedTags() const;
  // An undoable edit of `group`'s tags, to be made before Push().
  std::unique_ptr<TagsEdit> BeginTagsEdit(const char* text, GroupNode& group);
  // Takes the state the edit left and puts it on the undo stack when it changed anything;
  // then sets the modified flag and lists the tags again. False when nothing changed.
  bool Push(std::unique_ptr<TagsEdit> edit);

  std::string programDirectory_;
  MessageBoxes& boxes_;
  ServerChooserLauncher chooser_;
  FileChooser csvChooser_;
  FileChooser saveElsewhereChooser_;
  ProjectStore store_;
  MakerProject project_;
  ServerTreeModel treeModel_;
  TagTableModel tagModel_;
  RowFilter tagFilter_;
  QUndoStack undoStack_;
  QTreeView* tree_;
  QTableView* tagList_;
  QLineEdit* tagFind_;
  QPersistentModelIndex current_;
  bool modified_ = false;
};

}  // namespace tavrel
