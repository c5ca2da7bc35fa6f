// Morvane, the manager: keeps the bridge running and serves the HTTP configuration interface.
#include "common/program_directory.h"
#include "manager/manager_app.h"
#include "manager/qt_manager_tray.h"
#include "platform/process/quit_signal.h"

int main() {
  BlockQuitSignals();
  return RunManager(ProgramDirectory(), MakeManagerTray);
}
