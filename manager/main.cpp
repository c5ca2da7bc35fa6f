// Morvane, the manager: keeps the bridge running and serves the HTTP configuration interface.
#include <cstdio>

#include "common/program_directory.h"
#include "manager/manager_app.h"
#include "manager/qt_manager_tray.h"
#include "platform/process/quit_signal.h"

int main() {
  using namespace tavrel;
  BlockQuitSignals();
  const std::optional<std::string> programDirectory = ProgramDirectory();
  if (!programDirectory) {
    std::fputs("Morvane: the program directory cannot be found (/proc/self/exe)\n", stderr);
    return 1;
  }
  return RunManager(*programDirectory, MakeManagerTray);
}
