// Morvane for Windows: the manager without its tray (the windows are Linux-only so far), as a
// console program, or with --service as the Windows service that the installer registers.
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "common/data_directory.h"
#include "common/program_directory.h"
#include "manager/bridge_control.h"
#include "manager/manager_app.h"
#include "manager/manager_settings.h"
#include "manager/windows/data_folder_setup.h"
#include "manager/windows/manager_service.h"
#include "platform/process/quit_request.h"

//   Morvane              the manager until Ctrl+C, the console's close or the session's end
//   Morvane --service    the same under the Service Control Manager, until the service stops
//   Morvane --settings   prints the settings it would use and ends (manager_settings.h)
//   Morvane --restrict-data-folder, Morvane --remove-data
//                        the installer's work on the data folder (data_folder_setup.h); exit
//                        code 1, with what failed on stderr, when it was not all done
int main(int argc, char** argv) {
  using namespace tavrel;
  ListenForQuitRequests();
  const std::optional<std::string> programDirectory = ProgramDirectory();
  if (!programDirectory) {
    std::fputs("Morvane: the program directory cannot be found\n", stderr);
    return 1;
  }
  const std::string_view option = argc == 2 ? argv[1] : "";
  if (option == "--settings") {
    PrintManagerSettings(DataDirectory(*programDirectory), stdout, stderr);
    return 0;
  }
  if (option == "--restrict-data-folder" || option == "--remove-data") {
    const std::string folder = DataDirectory(*programDirectory);
    const std::string problem =
        option == "--remove-data"
            ? RemoveDataFiles(folder,
                              {.serviceName = kManagerServiceName,
                               .bridgeExecutable = BridgeControl(*programDirectory).ProgramPath()})
            : RestrictDataFolder(folder);
    if (problem.empty()) return 0;
    std::fprintf(stderr, "Morvane %s: %s\n", argv[1], problem.c_str());
    return 1;
  }
  if (option == "--service") {
    // The Service Control Manager starts services in the system's folder; the bridge, which
    // writes its crash dump in its working directory, is started from the data folder instead.
    // Once the manager is done the process leaves that folder, before it reports itself
    // stopped: an uninstall may remove the folder while the process is still ending.
    return RunAsService([&] {
      std::error_code ignored;
      std::filesystem::current_path(DataDirectory(*programDirectory), ignored);
      const int exitCode = RunManager(*programDirectory);
      std::filesystem::current_path(*programDirectory, ignored);
      return exitCode;
    });
  }
  return RunManager(*programDirectory);
}
