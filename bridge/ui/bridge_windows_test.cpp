// The bridge's windows without a system tray: the tray menu's entries and commands, the main
// panel's tree, export, added servers, traversals and write dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <fstream>
#include <future>
#include <optional>
#include <sstream>
#include <thread>

#include "bridge/ui/bridge_desktop_app.h"
#include "bridge/ui/bridge_tray_menu.h"
#include "bridge/ui/main_panel.h"
#include "bridge/ui/template_export.h"
#include "bridge/ui/ui_test_project.h"
#include "desktop/gbk_text.h"
#include "desktop/item_icons.h"
#include "desktop/recording_message_boxes.h"
#include "desktop/row_filter.h"

namespace tavrel {

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream contents;
  contents << file.rdbuf();
  return contents.str();
}

TEST(BridgeTrayMenu, EntriesInOrderAndTheirCommands) {
  std::vector<std::string> ran;
  const auto menu = BridgeTrayMenu({.openPanel = [&] { ran.push_back("panel"); },
                                    .openLog = [&] { ran.push_back("log"); },
                                    .about = [&] { ran.push_back("about"); },
                                    .quit = [&] { ran.push_back("quit"); }});
  std::vector<std::string> entries;
  for (QAction* action : menu->actions()) {
    entries.push_back(action->isSeparator() ? "-" : ToGbk(action->text()));
    if (!action->isSeparator()) action->trigger();
  }
  EXPECT_EQ(entries,
            (std::vector<std::string>{"开主面板", "查看日志", "-", "关于我们", "-", "退出系统"}));
  EXPECT_EQ(ran, (std::vector<std::string>{"panel", "log", "about", "quit"}));
}

TEST(BridgeDesktopOptions, WindowOptionOpensThePanel) {
  const std::pair<std::vector<const char*>, bool> cases[] = {{{"Tavrel"}, false},
                                                             {{"Tavrel", "--window"}, true},
                                                             {{"Tavrel", "-x", "--window"}, true},
                                                             {{"Tavrel", "-window"}, false}};
  for (const auto& [arguments, openPanel] : cases) {
    EXPECT_EQ(DesktopOptionsFrom(static_cast<int>(arguments.size()), arguments.data()).openPanel,
              openPanel)
        << arguments.back();
  }
}

class MainPanelTest : public ::testing::Test {
 protected:
  MainPanel& Panel() {
    if (!panel_) {
      panel_ = std::make_unique<MainPanel>(
          MainPanelSources{.project = *project_,
                           .log = log_,
                           .serverConnected = [this](int) { return connected_; },
                           .startTime = 1000,
                           .clock =
                               [] {
                                 return WallTime{1000 + 9000, 0};
                               }},
          boxes_, actions_);
    }
    return *panel_;
  }
  std::string Label(QTreeWidgetItem* item) { return ToGbk(item->text(0)); }

  std::unique_ptr<BridgeProject> project_ = MakeUiTestProject();
  QTemporaryDir directory_;
  BridgeLog log_{directory_.path().toStdString()};
  bool connected_ = false;
  RecordingMessageBoxes boxes_;
  MainPanelActions actions_;
  std::unique_ptr<MainPanel> panel_;
};

TEST_F(MainPanelTest, TreeLabelsAndRunningTime) {
  QTreeWidgetItem* root = Panel().Tree().topLevelItem(0);
  EXPECT_EQ(Label(root), "OPC SERVER列表");
  ASSERT_EQ(root->childCount(), 1);
  EXPECT_EQ(Label(root->child(0)), "S1-断开");
  EXPECT_EQ(Label(root->child(0)->child(0)), "G1[first]");
  const std::pair<QTreeWidgetItem*, TreeItemKind> images[] = {
      {root, TreeItemKind::kRoot},
      {root->child(0), TreeItemKind::kServer},
      {root->child(0)->child(0), TreeItemKind::kGroup}};
  for (const auto& [item, kind] : images) {
    for (const int size : {16, 32}) {
      EXPECT_EQ(item->icon(0).pixmap(size).toImage(), TreeItemIcon(kind).pixmap(size).toImage())
          << Label(item) << " " << size;
    }
  }
  EXPECT_EQ(ToGbk(Panel().RunningTime().text()), "2.50");
  connected_ = true;
  Panel().ShowRunningState();
  EXPECT_EQ(Label(root->child(0)), "S1-在线");

  Panel().Tree().setCurrentItem(root->child(0)->child(0));
  EXPECT_EQ(Panel().GridModel().ShownGroup(), project_->Servers()[0]->groups[0].get());
}

TEST_F(MainPanelTest, ExportAsksBeforeOverwritingAndReportsSuccess) {
  const std::string chosen = directory_.path().toStdString() + "/points";
  actions_.chooseTemplateFile = [&] { return chosen; };
  Panel().ExportTemplate();
  EXPECT_EQ(ReadFile(chosen + ".tpl"), TemplateDocument(*project_));
  EXPECT_EQ(boxes_.ShownTexts(), std::vector<std::string>{"保存模板成功"});
  EXPECT_TRUE(boxes_.asked.empty());

  std::ofstream(chosen + ".tpl", std::ios::trunc) << "old";
  boxes_.answers = {false};
  Panel().ExportTemplate();
  EXPECT_EQ(ReadFile(chosen + ".tpl"), "old");
  ASSERT_EQ(boxes_.okCancel.size(), 1u);
  EXPECT_EQ(boxes_.okCancel[0],
            (RecordingMessageBoxes::Box{"已经存在一个同名的文件，要覆盖吗？", "提示"}));
  boxes_.answers = {true};
  Panel().ExportTemplate();
  EXPECT_EQ(ReadFile(chosen + ".tpl"), TemplateDocument(*project_));
}

// The tree's filter keeps the servers and groups whose label contains the text, ignoring case:
// a server with all its groups, a group with its server.
TEST_F(MainPanelTest, TreeFilterKeepsMatchingServersAndGroups) {
  std::vector<ProjectServerRecord> servers(2);
  servers[0].name = "Boiler";
  servers[0].groups.resize(2);
  servers[0].groups[0].name = "Pumps";
  servers[0].groups[1].name = "Valves";
  servers[1].name = "Mill";
  servers[1].groups.resize(1);
  servers[1].groups[0].name = "Motors";
  project_ = std::make_unique<BridgeProject>(servers);
  QTreeWidgetItem* root = Panel().Tree().topLevelItem(0);
  const auto shown = [&] {
    std::vector<std::string> labels;
    for (QTreeWidgetItemIterator item(root); *item; ++item) {
      if (!(*item)->isHidden()) labels.push_back(Label(*item));
    }
    return labels;
  };
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"", {"OPC SERVER列表", "Boiler-断开", "Pumps[]", "Valves[]", "Mill-断开", "Motors[]"}},
      {"BOIL", {"OPC SERVER列表", "Boiler-断开", "Pumps[]", "Valves[]"}},
      {"mo", {"OPC SERVER列表", "Mill-断开", "Motors[]"}},
      {"zzz", {"OPC SERVER列表"}}};
  for (const auto& [text, labels] : cases) {
    Panel().TreeFilterField().setText(text);
    EXPECT_EQ(shown(), labels) << text;
  }
}

TEST_F(MainPanelTest, AddedServerBecomesATreeNodeOnly) {
  bool accept = false;
  actions_.editNewServer = [&](std::string& name, std::string& desc, ServerSettings& settings) {
    name = "S2";
    desc = "second";
    settings.node = "plant";
    return accept;
  };
  QTreeWidgetItem* root = Panel().Tree().topLevelItem(0);
  Panel().AddServer();
  EXPECT_EQ(root->childCount(), 1);
  accept = true;
  Panel().AddServer();
  ASSERT_EQ(root->childCount(), 2);
  EXPECT_EQ(Label(root->child(1)), "源:S2_second[plant]");
  EXPECT_EQ(project_->Servers().size(), 1u);
}

TEST_F(MainPanelTest, TraversalRunsOffTheWindowThreadOneAtATime) {
  std::thread::id walker;
  std::vector<bool> flats;
  actions_.traverse = [&](const ProjectServer& server, bool forceFlat) {
    EXPECT_EQ(server.name, "S1");
    walker = std::this_thread::get_id();
    flats.push_back(forceFlat);
  };
  ASSERT_TRUE(Panel().StartTraversal(0, true));
  EXPECT_FALSE(Panel().StartTraversal(0, false));
  while (Panel().TraversalRunning()) QCoreApplication::processEvents();
  EXPECT_NE(walker, std::this_thread::get_id());
  ASSERT_TRUE(Panel().StartTraversal(0, false));
  while (Panel().TraversalRunning()) QCoreApplication::processEvents();
  EXPECT_EQ(flats, (std::vector<bool>{true, false}));
  EXPECT_FALSE(Panel().StartTraversal(1, false));
}

// "取消" on the busy indication gives the panel back at once; the walk goes on to its end.
TEST_F(MainPanelTest, TraversalWaitCanBeCancelled) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  bool walked = false;
  actions_.traverse = [&](const ProjectServer&, bool) {
    released.wait();
    walked = true;
  };
  ASSERT_TRUE(Panel().StartTraversal(0, false));
  QPointer<QProgressDialog> busy = Panel().findChild<QProgressDialog*>();
  ASSERT_FALSE(busy.isNull());
  QPushButton* cancel = busy->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  EXPECT_EQ(ToGbk(cancel->text()), "取消");
  cancel->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(busy.isNull());
  EXPECT_TRUE(Panel().TraversalRunning());
  release.set_value();
  while (Panel().TraversalRunning()) QCoreApplication::processEvents();
  EXPECT_TRUE(walked);
}

// The write dialog opens, modal to the panel only, for a tag that can be written; a row
// without a tag or a read-only tag says why instead.
TEST_F(MainPanelTest, WriteDialogOnlyWhereAWriteCanWork) {
  Panel().OpenWriteDialog(0);  // no group shown
  Panel().Tree().setCurrentItem(Panel().Tree().topLevelItem(0)->child(0)->child(0));
  Panel().OpenWriteDialog(1);  // level: read only
  EXPECT_EQ(boxes_.ShownTexts(),
            (std::vector<std::string>{"不存在的数据点", "该数据点只读，不能写入"}));
  for (const int row : {0, 2}) {  // read and write, write only
    std::optional<Qt::WindowModality> opened;
    QTimer::singleShot(0, [&] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (dialog == nullptr) return;
      opened = dialog->windowModality();
      dialog->close();
    });
    Panel().OpenWriteDialog(row);
    EXPECT_EQ(opened, Qt::WindowModal) << row;
  }
  EXPECT_EQ(boxes_.ShownTexts().size(), 2u);
}

// The grid finds rows by part of the TagId, ignoring case, sorts by any column and copies the
// selected rows tab-separated; a row keeps its own tag (and the write dialog it opens) however
// the grid shows it.
TEST_F(MainPanelTest, GridFindsSortsAndCopiesRows) {
  Panel().Tree().setCurrentItem(Panel().Tree().topLevelItem(0)->child(0)->child(0));
  QTableView& grid = Panel().Grid();
  const auto column = [&](int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < grid.model()->rowCount(); ++row) {
      texts.push_back(ToGbk(grid.model()->index(row, column).data().toString()));
    }
    return texts;
  };
  EXPECT_EQ(column(2), (std::vector<std::string>{"a.b.c", "level", "flag"}));  // project order
  Panel().GridFilterField().setText("A.B");
  EXPECT_EQ(column(2), std::vector<std::string>{"a.b.c"});
  Panel().GridFilterField().setText("L");
  EXPECT_EQ(column(2), (std::vector<std::string>{"level", "flag"}));
  Panel().OpenWriteDialog(0);  // level
  EXPECT_EQ(boxes_.ShownTexts(), std::vector<std::string>{"该数据点只读，不能写入"});
  Panel().GridFilterField().clear();
  grid.sortByColumn(TagGridModel::kTypeColumn, Qt::AscendingOrder);
  EXPECT_EQ(column(6), (std::vector<std::string>{"Boolean", "Double", "Short"}));
  grid.sortByColumn(TagGridModel::kTagColumn, Qt::DescendingOrder);
  EXPECT_EQ(column(2), (std::vector<std::string>{"level", "flag", "a.b.c"}));
  grid.selectRow(0);
  grid.selectionModel()->select(grid.model()->index(2, 0),
                                QItemSelectionModel::Select | QItemSelectionModel::Rows);
  const std::string copied = ToGbk(SelectedRowsText(grid));
  EXPECT_EQ(copied.substr(0, copied.find('\n')), "2\tG1\tlevel\t\tbad\t\tShort\t只读\t0");
  EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 2);
  EXPECT_NE(copied.find("\ta.b.c\t"), std::string::npos);
}

// The write runs off the window's thread: while the server has not answered, the value and OK
// are off; the answer is shown, then the dialog closes. Cancel meanwhile closes the dialog at
// once: the write goes on and its answer is dropped.
TEST(WriteDialog, WritesTheEditedTextAsideAndShowsTheResultUnlessCancelled) {
  const auto project = MakeUiTestProject();
  ProjectTag& tag = *project->FindTag(0);
  RecordingMessageBoxes boxes;
  WritesInFlight writes;
  std::vector<std::string> written;
  std::promise<WriteResult> answer;
  WriteDialog dialog(
      tag, "12.5",
      [&](ProjectTag& target, std::string_view value) {
        EXPECT_EQ(&target, &tag);
        written.emplace_back(value);
        return answer.get_future().get();
      },
      writes, boxes);
  const auto write = [&](WriteResult result, bool cancel) {
    answer = {};
    const std::size_t shown = boxes.ShownTexts().size();
    dialog.accept();
    EXPECT_TRUE(dialog.Writing());
    EXPECT_FALSE(dialog.ValueEdit().isEnabled());
    QCoreApplication::processEvents();
    EXPECT_EQ(boxes.ShownTexts().size(), shown);
    if (cancel) {
      dialog.reject();
      EXPECT_FALSE(dialog.Writing());
      EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(writes.Running(), 1u);
    answer.set_value(std::move(result));
    while (writes.Running() != 0) QCoreApplication::processEvents();
    EXPECT_FALSE(dialog.Writing());
    EXPECT_EQ(dialog.result(), cancel ? QDialog::Rejected : QDialog::Accepted);
  };
  EXPECT_EQ(ToGbk(dialog.ValueEdit().text()), "12.5");
  dialog.ValueEdit().setText(FromGbk("值7"));
  write({0, ""}, false);
  write({1, "Sync Write: 类型不匹配"}, false);
  write({1, ""}, false);
  write({0, ""}, true);
  EXPECT_EQ(written, (std::vector<std::string>{"值7", "值7", "值7", "值7"}));
  EXPECT_EQ(boxes.ShownTexts(),
            (std::vector<std::string>{"写入成功", "Sync Write: 类型不匹配", "写入失败"}));
  // Without a connection the write answers what the API would.
  EXPECT_EQ(WriteThroughConnection(tag, "1").message, "OPC服务还未连接成功");
}

}  // namespace

}  // namespace tavrel
