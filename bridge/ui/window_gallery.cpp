// Draws the bridge's and the manager's windows into PNG files for the documentation: the main
// panel with live values of the demo project, the log list, the write dialog and both tray
// menus.
//
//   tavrel_window_gallery <program directory> <output directory>
//
// The bridge runs from a temporary copy of the program directory's config.xml and opc_db.xml
// on the simulated servers, without its API; nothing is written beside the executables. Run
// it on a display (scripts/screenshots uses Xvfb).
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>
#include <filesystem>
#include <string>

#include "bridge/core/bridge_runtime.h"
#include "bridge/opc/opc_connection.h"
#include "bridge/ui/bridge_tray_menu.h"
#include "bridge/ui/log_list_window.h"
#include "bridge/ui/main_panel.h"
#include "desktop/desktop_application.h"
#include "manager/qt_manager_tray.h"
#include "platform/com/com_apartment.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_servers.h"

namespace {

// Answers nothing: the gallery never asks.
class SilentMessageBoxes final : public MessageBoxes {
 public:
  void Inform(const std::string& text, const std::string&) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }
};

void RunEventsFor(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  }
}

bool Draw(QWidget& window, const std::string& directory, const char* name) {
  window.show();
  RunEventsFor(200);
  const std::string path = directory + "/" + name + ".png";
  if (window.grab().save(QString::fromStdString(path))) return true;
  std::fprintf(stderr, "cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <program directory> <output directory>\n", argv[0]);
    return 2;
  }
  namespace fs = std::filesystem;
  const std::string output = argv[2];
  const auto application = StartDesktopApplication(argc, argv, "Tavrel");
  if (!application) return 1;
  const ComApartment apartment;
  RegisterOpcCoreClasses();
  RegisterSimulatedServers();
  QTemporaryDir directory;
  const std::string runDirectory = directory.path().toStdString();
  for (const char* file : {"config.xml", "opc_db.xml"}) {
    fs::copy_file(fs::path(argv[1]) / file, fs::path(runDirectory) / file);
  }
  fs::create_directory(fs::path(runDirectory) / "log");

  SilentMessageBoxes boxes;
  const auto queue = std::make_shared<LogLineQueue>();
  LogListWindow logList(queue, boxes);
  BridgeRuntime runtime(runDirectory, {}, SystemWallTime, MakeOpcConnection, queue);
  MainPanel panel(
      {.project = runtime.Project(),
       .log = runtime.Log(),
       .serverConnected =
           [&runtime](int server) { return runtime.Connections()[server]->IsConnected(); },
       .startTime = runtime.StartTime() - 5400},
      boxes);
  bool drawn = true;
  if (runtime.Project().Servers().empty() || runtime.Project().Servers()[0]->groups.empty()) {
    std::fprintf(stderr, "the demo project has no group to show\n");
    return 1;
  }
  QTreeWidgetItem* firstGroup = panel.Tree().topLevelItem(0)->child(0)->child(0);
  panel.Tree().setCurrentItem(firstGroup);
  panel.show();
  RunEventsFor(3500);  // connections made, a few updates arrived and refreshed
  panel.ShowRunningState();
  drawn &= Draw(panel, output, "tavrel-main-panel");
  drawn &= Draw(logList, output, "tavrel-log-list");

  ProjectTag& tag = *runtime.Project().Servers()[0]->groups[0]->tags[1];
  WriteDialog write(tag, tag.liveValue.Snapshot().textValue, WriteThroughConnection, boxes, &panel);
  drawn &= Draw(write, output, "tavrel-write-dialog");

  const auto bridgeMenu = BridgeTrayMenu({});
  drawn &= Draw(*bridgeMenu, output, "tavrel-tray-menu");
  const auto managerMenu = ManagerTrayMenu({});
  drawn &= Draw(*managerMenu, output, "morvane-tray-menu");
  runtime.Stop();
  return drawn ? 0 : 1;
}
