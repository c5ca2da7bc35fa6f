// Morvane, the manager: keeps the bridge running and serves the HTTP configuration interface.
#include <cstdio>
#include <string_view>

#include "common/data_directory.h"
#include "common/program_directory.h"
#include "manager/manager_app.h"
#include "manager/manager_platform.h"
#include "manager/manager_settings.h"
#include "manager/qt_manager_tray.h"
#include "platform/process/quit_request.h"

// `Morvane --settings` prints the settings it would use and ends (manager_settings.h).
int main(int argc, char** argv) {
  using namespace tavrel;
  UseManagerAllocatorSettings();
  ListenForQuitRequests();
  const std::optional<std::string> programDirectory = ProgramDirectory();
  if (!programDirectory) {
    std::fputs("Morvane: the program directory cannot be found\n", stderr);
    return 1;
  }
  if (argc == 2 && std::string_view(argv[1]) == "--settings") {
    PrintManagerSettings(DataDirectory(*programDirectory), stdout, stderr);
    return 0;
  }
  return RunManager(*programDirectory, MakeManagerTray);
}
