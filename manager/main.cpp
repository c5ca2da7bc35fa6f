// Morvane, the manager: keeps the bridge running and serves the HTTP configuration interface.
#include <malloc.h>

#include <cstdio>
#include <string_view>

#include "common/program_directory.h"
#include "manager/manager_app.h"
#include "manager/manager_settings.h"
#include "manager/qt_manager_tray.h"
#include "platform/process/quit_request.h"

// `Morvane --settings` prints the settings it would use and ends (manager_settings.h).
int main(int argc, char** argv) {
  using namespace tavrel;
  // A fixed threshold: blocks of 256 KiB and more are mapped one by one and given back when
  // freed, and the heaps are trimmed as their tops free up. Left alone, the allocator raises
  // both after the first large body, and the memory of many bodies received at once stays
  // taken after they are gone.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  ListenForQuitRequests();
  const std::optional<std::string> programDirectory = ProgramDirectory();
  if (!programDirectory) {
    std::fputs("Morvane: the program directory cannot be found (/proc/self/exe)\n", stderr);
    return 1;
  }
  if (argc == 2 && std::string_view(argv[1]) == "--settings") {
    PrintManagerSettings(*programDirectory, stdout, stderr);
    return 0;
  }
  return RunManager(*programDirectory, MakeManagerTray);
}
