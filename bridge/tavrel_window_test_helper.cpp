// A test helper: the bridge as Tavrel runs it, its window driven as an operator would drive it.
// The first argument says what to do; the others are Tavrel's own (kWindowOption).
//
// "signal" and "menu": 5 seconds after the start the main panel shows the project's first
// group and the write dialog of its first tag writes "1". Once that write has waited 500 ms for
// the server, the helper creates the file "writing" in its program directory and, for "menu",
// chooses "退出系统" in the tray menu; for "signal" the test sends the quit signal. Either way the
// process must then end with exit code 0 while the write still waits.
//
// "windows": 3 seconds after the start the helper writes the titles of the windows on screen,
// one a line (GBK), to the file "windows" in its program directory.
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>
#include <fstream>
#include <string>

#include "bridge/core/bridge_process.h"
#include "bridge/opc/opc_connection.h"
#include "bridge/ui/bridge_desktop_app.h"
#include "bridge/ui/main_panel.h"
#include "common/program_directory.h"
#include "desktop/gbk_text.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace {

constexpr int kDriveAfterMs = 5000;
constexpr int kWaitingMs = 500;
constexpr int kLookAfterMs = 3000;

std::string InProgramDirectory(const char* name) {
  return ProgramDirectory().value_or(".") + "/" + name;
}

template <typename Widget>
Widget* TopLevel() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* found = dynamic_cast<Widget*>(widget)) return found;
  }
  return nullptr;
}

void ChooseQuitInTheTrayMenu() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* menu = qobject_cast<QMenu*>(widget);
    if (menu == nullptr) continue;
    for (QAction* action : menu->actions()) {
      if (action->text() == FromGbk("退出系统")) action->trigger();
    }
  }
}

void WriteWhileTheServerHangs(bool quitFromTheMenu) {
  MainPanel* panel = TopLevel<MainPanel>();
  if (panel == nullptr) return;
  panel->Tree().setCurrentItem(panel->Tree().topLevelItem(0)->child(0)->child(0));
  QTimer::singleShot(0, [quitFromTheMenu] {
    auto* dialog = dynamic_cast<WriteDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    dialog->ValueEdit().setText("1");
    dialog->accept();
    QTimer::singleShot(kWaitingMs, [dialog, quitFromTheMenu] {
      if (!dialog->Writing()) return;  // the server answered: nothing to test
      std::ofstream(InProgramDirectory("writing"));
      if (quitFromTheMenu) ChooseQuitInTheTrayMenu();
    });
  });
  panel->OpenWriteDialog(0);
}

void ListWindowsOnScreen() {
  std::ofstream file(InProgramDirectory("windows"), std::ios::binary);
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->isVisible()) file << ToGbk(widget->windowTitle()) << "\n";
  }
}

}  // namespace

}  // namespace tavrel

int main(int argc, char** argv) {
  using namespace tavrel;
  const std::string task = argc > 1 ? argv[1] : "";
  const BridgeDesktopOptions options = DesktopOptionsFrom(argc - 1, argv + 1);
  return RunBridgeProcess({
      .registerClasses = opcsim::RegisterSimulatedServers,
      .makeEngine = MakeOpcConnection,
      .frontEnds = {},
      .makeDesktop =
          [task, options] {
            auto desktop = MakeBridgeDesktop(options);
            if (!desktop) return desktop;
            if (task == "windows") {
              QTimer::singleShot(kLookAfterMs, ListWindowsOnScreen);
            } else {
              QTimer::singleShot(kDriveAfterMs,
                                 [task] { WriteWhileTheServerHangs(task == "menu"); });
            }
            return desktop;
          },
  });
}
