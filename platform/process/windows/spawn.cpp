#include "platform/process/spawn.h"

#include <windows.h>

#include "common/code_page.h"
#include "platform/process/windows/command_line.h"
#include "platform/process/windows/owned_handle.h"

namespace tavrel {

namespace {

// Creates the process of `path` with `arguments` as the header describes: with `startup`, and
// inheriting the caller's inheritable handles when `inheritHandles` is true. False when it
// could not be created.
bool CreateProgramProcess(const std::string& path, const std::vector<std::string>& arguments,
                          STARTUPINFOW& startup, bool inheritHandles,
                          PROCESS_INFORMATION& started) {
  const WideString application = AnsiToWide(path);
  WideString commandLine = CommandLine(path, arguments);  // CreateProcessW may write to it
  startup.cb = sizeof startup;
  return CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr,
                        inheritHandles ? TRUE : FALSE, 0, nullptr, nullptr, &startup,
                        &started) != FALSE;
}

// An inheritable copy of the caller's standard handle `which` (STD_OUTPUT_HANDLE ...); holds
// nothing when the caller has none.
OwnedHandle InheritableStandardHandle(DWORD which) {
  const HANDLE own = GetStdHandle(which);
  HANDLE copy = nullptr;
  if (own == nullptr || own == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS)) {
    return OwnedHandle();
  }
  return OwnedHandle(copy);
}

}  // namespace

std::string ExecutableFileName(std::string_view name) { return std::string(name) + ".exe"; }

pid_t StartProgram(const std::string& path, const std::vector<std::string>& arguments) {
  STARTUPINFOW startup{};
  PROCESS_INFORMATION started{};
  if (!CreateProgramProcess(path, arguments, startup, false, started)) return 0;
  const OwnedHandle process(started.hProcess);
  const OwnedHandle thread(started.hThread);
  return static_cast<pid_t>(started.dwProcessId);
}

std::optional<int> RunProgram(const std::string& path, const std::vector<std::string>& arguments) {
  // Without inheritable copies the child would get handle values that mean nothing in it.
  const OwnedHandle input = InheritableStandardHandle(STD_INPUT_HANDLE);
  const OwnedHandle output = InheritableStandardHandle(STD_OUTPUT_HANDLE);
  const OwnedHandle error = InheritableStandardHandle(STD_ERROR_HANDLE);
  STARTUPINFOW startup{};
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input.get();
  startup.hStdOutput = output.get();
  startup.hStdError = error.get();
  PROCESS_INFORMATION started{};
  if (!CreateProgramProcess(path, arguments, startup, true, started)) return std::nullopt;
  const OwnedHandle process(started.hProcess);
  const OwnedHandle thread(started.hThread);
  DWORD exitCode = 0;
  if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.get(), &exitCode)) {
    return std::nullopt;
  }
  return static_cast<int>(exitCode);
}

void ReapEndedChildren() {}

}  // namespace tavrel
