// The main panel "开主面板": the tree of servers and groups beside the grid of the selected
// group's tags with their live values. The tree's items carry the images of desktop/item_icons.h.
// A filter field above the tree keeps the servers and groups whose label contains its text, one
// above the grid the rows whose TagId contains its text (both ignoring case);
// a click on a column's header sorts by it, and Ctrl+C copies the selected rows tab-separated
// (desktop/row_filter.h). The grid's rows below are the rows as shown, sorted and filtered.
//
// While the panel is visible the grid takes the rows on screen from their tags every 500 ms
// (TagGridModel::RefreshRows), and every second the running time since the start-up shows as
// "%.2f" hours and each server's label shows its state. Menus: on the tree's root "导出点表"
// and "添加Server"; on a server "遍历全部节点(TREE)" and "遍历全部节点(FLAT)". A right click or a
// double click on a grid row opens the write dialog ("不存在的数据点" without a tag); a tag whose
// direction is read only gets "该数据点只读，不能写入" instead.
//
// Export: the template document (template_export.h) is saved under the chosen name (with
// ".tpl" appended when it lacks it), after asking "已经存在一个同名的文件，要覆盖吗？" (OK/Cancel)
// when that file exists; the file dialog asks nothing itself; then
// "保存模板成功". Add server: the server configuration dialog for a new entry; on OK the tree gains
// the node "源:%s_%s[%s]". The project file and the running connections stay as they are.
// Traversals: the server's whole address space walked as a tree or flat list on a worker
// thread (a BackgroundCall) while a busy indication shows; the walk appends its document to the
// server's text file under log/ and logs as the API's traversal does. The indication's "取消"
// stops the waiting, not the walk, which still writes its file. One walk runs at a time;
// closing the panel waits for it.
#pragma once

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "bridge/core/bridge_project.h"
#include "bridge/ui/tag_grid_model.h"
#include "bridge/ui/write_dialog.h"
#include "bridge/ui/writes_in_flight.h"
#include "common/bridge_log.h"
#include "common/project_file.h"
#include "desktop/background_call.h"
#include "desktop/message_boxes.h"
#include "desktop/row_filter.h"

class QProgressDialog;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class QLabel;
class QLineEdit;

namespace tavrel {

inline constexpr char kPromptCaption[] = "提示";

// What the panel shows and uses of the running bridge.
struct MainPanelSources {
  const BridgeProject& project;
  BridgeLog& log;
  std::function<bool(int serverIndex)> serverConnected;
  std::int64_t startTime = 0;  // seconds since 1970 at the end of the start-up
  WallClock clock = SystemWallTime;
};

// The panel's dialogs and its work behind them; each defaults to the real one.
struct MainPanelActions {
  // The file name chosen in the save dialog; none when cancelled.
  std::function<std::optional<std::string>()> chooseTemplateFile;
  // Edits a new server entry; true on OK.
  std::function<bool(std::string& name, std::string& desc, ServerSettings& settings)> editNewServer;
  // Walks a server's address space (BrowseServerTags); runs on the traversal thread.
  std::function<void(const ProjectServer& server, bool forceFlat)> traverse;
  TagWriter write = WriteThroughConnection;
};

class MainPanel : public QWidget {
 public:
  MainPanel(MainPanelSources sources, MessageBoxes& boxes, MainPanelActions actions = {},
            QWidget* parent = nullptr);
  ~MainPanel() override;

  QTreeWidget& Tree() { return *tree_; }
  QTableView& Grid() { return *grid_; }
  TagGridModel& GridModel() { return model_; }
  QLineEdit& TreeFilterField() { return *treeFilterField_; }
  QLineEdit& GridFilterField() { return *gridFilterField_; }
  QLabel& RunningTime() { return *runningTime_; }

  void ExportTemplate();
  void AddServer();
  // Starts a walk of the server at `serverIndex`; false while another walk runs.
  bool StartTraversal(int serverIndex, bool forceFlat);
  bool TraversalRunning() const { return traversal_.Running(); }
  // Opens the write dialog for the grid's `row` (modal to the panel only), or says why not.
  void OpenWriteDialog(int row);
  // The writes of the write dialogs, including those let go.
  const WritesInFlight& Writes() const { return writes_; }
  // The 500 ms and 1000 ms timers' work.
  void RefreshVisibleRows();
  void ShowRunningState();

 private:
  void FillTree();
  void ShowTreeMenu(const QPoint& position);
  void EndTraversal();

  MainPanelSources sources_;
  MessageBoxes& boxes_;
  MainPanelActions actions_;
  TagGridModel model_;
  RowFilter gridFilter_;  // between the model and the grid: find by TagId, sort by any column
  QTreeWidget* tree_;
  QLineEdit* treeFilterField_;
  QTreeWidgetItem* root_;
  QTableView* grid_;
  QLineEdit* gridFilterField_;
  QLabel* runningTime_;
  QTimer refreshTimer_;
  QTimer clockTimer_;
  QProgressDialog* busy_ = nullptr;
  WritesInFlight writes_;           // outlives every write dialog, which lets its write go
  BackgroundCall<void> traversal_;  // declared last: waited for before the members go
};

}  // namespace tavrel
