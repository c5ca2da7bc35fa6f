#include "platform/process/spawn.h"

#include <windows.h>

#include "common/code_page.h"
#include "platform/process/windows/command_line.h"
#include "platform/process/windows/owned_handle.h"

namespace tavrel {

std::string ExecutableFileName(std::string_view name) { return std::string(name) + ".exe"; }

pid_t StartProgram(const std::string& path, const std::vector<std::string>& arguments) {
  const WideString application = AnsiToWide(path);
  WideString commandLine = CommandLine(path, arguments);  // CreateProcessW may write to it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    return 0;
  }
  const OwnedHandle process(started.hProcess);
  const OwnedHandle thread(started.hThread);
  return static_cast<pid_t>(started.dwProcessId);
}

void ReapEndedChildren() {}

}  // namespace tavrel
