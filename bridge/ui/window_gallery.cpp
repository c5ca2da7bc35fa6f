// Draws the bridge's windows into PNG files for the documentation: the main panel with live
// values of the demo project, the log list, the write dialog and the tray menu.
//
//   tavrel_window_gallery <program directory> <output directory>
//
// The bridge runs from a temporary copy of the program directory's config.xml and opc_db.xml
// on the simulated servers, without its API; nothing is written beside the executables. Run
// it on a display (scripts/screenshots uses Xvfb).
#include <QApplication>
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
#include "desktop/window_picture.h"
#include "platform/com/com_apartment.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_servers.h"

int main(int argc, char** argv) {
  using namespace tavrel;
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
  opcsim::RegisterSimulatedServers();
  QTemporaryDir directory;
  const std::string runDirectory = directory.path().toStdString();
  for (const char* file : {"config.xml", "opc_db.xml"}) {
    fs::copy_file(fs::path(argv[1]) / file, fs::path(runDirectory) / file);
  }
  fs::create_directory(fs::path(runDirectory) / "log");

  PrintingMessageBoxes boxes;
  const auto queue = std::make_shared<LogLineQueue>();
  LogListWindow logList(queue, boxes);
  BridgeRuntime runtime(runDirectory, {.makeEngine = MakeOpcConnection, .logSink = queue});
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
  // Drawn once the connections are made and a few updates arrived and were refreshed.
  drawn &= SaveWindowPicture(panel, output, "tavrel-main-panel", 3500);
  drawn &= SaveWindowPicture(logList, output, "tavrel-log-list");

  ProjectTag& tag = *runtime.Project().Servers()[0]->groups[0]->tags[1];
  WritesInFlight writes;
  WriteDialog write(tag, tag.liveValue.Snapshot().textValue, WriteThroughConnection, writes, boxes,
                    &panel);
  drawn &= SaveWindowPicture(write, output, "tavrel-write-dialog");

  const auto bridgeMenu = BridgeTrayMenu({});
  drawn &= SaveWindowPicture(*bridgeMenu, output, "tavrel-tray-menu");
  runtime.Stop();
  return drawn ? 0 : 1;
}
