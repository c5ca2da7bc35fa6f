// The main panel "开主面板": the tree of servers and groups beside the grid of the selected
// group's tags with their live values.
//
// While the panel is visible the grid takes the rows on screen from their tags every 500 ms
// (TagGridModel::RefreshRows), and every second the running time since the start-up shows as
// "%.2f" hours and each server's label shows its state. Menus: on the tree's root "导出点表"
// and "添加Server"; on a server "遍历全部节点(TREE)" and "遍历全部节点(FLAT)". A right click or a
// double click on a grid row opens the write dialog ("不存在的数据点" without a tag).
//
// Export: the template document (template_export.h) is saved under the chosen name (with
// ".tpl" appended when it lacks it), after asking "已经存在一个同名的文件，要覆盖吗？" (OK/Cancel)
// when that file exists; the file dialog asks nothing itself; then
// "保存模板成功". Add server: the server configuration dialog for a new entry; on OK the tree gains
// the node "源:%s_%s[%s]". The project file and the running connections stay as they are.
// Traversals: the server's whole address space walked as a tree or flat list on a worker
// thread (a BackgroundCall) while a busy indication shows, which "Cancel" closes while the walk
// goes on (its outcome is only written, never shown); the walk appends its document to the
// server's text file under log/ and logs as the API's traversal does. One walk runs at a time;
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
#include "common/bridge_log.h"
#include "common/project_file.h"
#include "desktop/background_call.h"
#include "desktop/message_boxes.h"

class QProgressDialog;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class QLabel;

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
  QLabel& RunningTime() { return *runningTime_; }

  void ExportTemplate();
  void AddServer();
  // Starts a walk of the server at `serverIndex`; false while another walk runs.
  bool StartTraversal(int serverIndex, bool forceFlat);
  bool TraversalRunning() const { return traversal_.Running(); }
  // Opens the write dialog for the grid's `row`.
  void OpenWriteDialog(int row);
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
  QTreeWidget* tree_;
  QTreeWidgetItem* root_;
  QTableView* grid_;
  QLabel* runningTime_;
  QTimer refreshTimer_;
  QTimer clockTimer_;
  QProgressDialog* busy_ = nullptr;
  BackgroundCall<void> traversal_;  // declared last: waited for before the members go
};

}  // namespace tavrel
