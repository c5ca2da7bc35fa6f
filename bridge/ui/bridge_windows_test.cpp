// The bridge's windows without a system tray: the tray menu's entries and commands, the main
// panel's tree, export, added servers, traversals and write dialog.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "bridge/ui/bridge_tray_menu.h"
#include "bridge/ui/main_panel.h"
#include "bridge/ui/template_export.h"
#include "bridge/ui/ui_test_project.h"
#include "desktop/gbk_text.h"
#include "desktop/recording_message_boxes.h"

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

TEST_F(MainPanelTest, CancellingATraversalFreesThePanelWhileTheWalkGoesOn) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  actions_.traverse = [released](const ProjectServer&, bool) { released.wait(); };
  ASSERT_TRUE(Panel().StartTraversal(0, false));
  auto* busy = Panel().findChild<QProgressDialog*>();
  ASSERT_NE(busy, nullptr);
  EXPECT_TRUE(busy->isVisible());
  busy->findChild<QPushButton*>()->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(Panel().findChild<QProgressDialog*>(), nullptr);
  EXPECT_TRUE(Panel().TraversalRunning());  // the walk itself goes on
  release.set_value();
  while (Panel().TraversalRunning()) QCoreApplication::processEvents();
}

TEST_F(MainPanelTest, RowWithoutATagHasNoWriteDialog) {
  Panel().OpenWriteDialog(0);  // no group shown
  EXPECT_EQ(boxes_.ShownTexts(), std::vector<std::string>{"不存在的数据点"});
}

// The write runs off the window's thread: while the server has not answered, the dialog stays
// with its controls off and cannot be dismissed; the answer is shown, then the dialog closes.
TEST(WriteDialog, WritesTheEditedTextAsideAndShowsTheResult) {
  const auto project = MakeUiTestProject();
  ProjectTag& tag = *project->FindTag(0);
  RecordingMessageBoxes boxes;
  std::vector<std::string> written;
  std::promise<WriteResult> answer;
  WriteDialog dialog(
      tag, "12.5",
      [&](ProjectTag& target, std::string_view value) {
        EXPECT_EQ(&target, &tag);
        written.emplace_back(value);
        return answer.get_future().get();
      },
      boxes);
  const auto write = [&](WriteResult result) {
    answer = {};
    const std::size_t shown = boxes.ShownTexts().size();
    dialog.accept();
    EXPECT_TRUE(dialog.Writing());
    EXPECT_FALSE(dialog.ValueEdit().isEnabled());
    dialog.reject();
    QCoreApplication::processEvents();
    EXPECT_EQ(boxes.ShownTexts().size(), shown);
    EXPECT_TRUE(dialog.Writing());
    answer.set_value(std::move(result));
    while (dialog.Writing()) QCoreApplication::processEvents();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
  };
  EXPECT_EQ(ToGbk(dialog.ValueEdit().text()), "12.5");
  dialog.ValueEdit().setText(FromGbk("值7"));
  write({0, ""});
  write({1, "Sync Write: 类型不匹配"});
  write({1, ""});
  EXPECT_EQ(written, (std::vector<std::string>{"值7", "值7", "值7"}));
  EXPECT_EQ(boxes.ShownTexts(),
            (std::vector<std::string>{"写入成功", "Sync Write: 类型不匹配", "写入失败"}));
  // Without a connection the write answers what the API would.
  EXPECT_EQ(WriteThroughConnection(tag, "1").message, "OPC服务还未连接成功");
}

}  // namespace

}  // namespace tavrel
