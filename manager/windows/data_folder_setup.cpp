#include "manager/windows/data_folder_setup.h"

// windows.h first: the security headers need its types.
// clang-format off
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
// clang-format on

#include <chrono>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <thread>

#include "common/code_page.h"
#include "common/crash_report.h"
#include "common/program_files.h"
#include "platform/process/process_list.h"

namespace tavrel {

namespace {

namespace fs = std::filesystem;

std::string SystemText(DWORD error) {
  return std::system_category().message(static_cast<int>(error));
}

// The folders and files the programs make in the data folder, removed whole.
constexpr std::string_view kProgramEntries[] = {kSettingsFileName, kProjectFileName, "log",
                                                "servers", kCrashDumpFileName};

// An unfinished save of one of the programs' files: ".<name>.<pid>.<n>.tmp" (atomic_file.h).
bool IsTemporaryOfProgramFile(const std::string& name) {
  if (!name.starts_with('.') || !name.ends_with(".tmp")) return false;
  for (const std::string_view file :
       {std::string_view(kSettingsFileName), std::string_view(kProjectFileName)}) {
    if (name.compare(1, file.size(), file) == 0 && name.size() > file.size() + 1 &&
        name[file.size() + 1] == '.') {
      return true;
    }
  }
  return false;
}

// Removes the programs' entries of `root` once; "" or what could not be removed and why.
std::string RemoveProgramEntries(const fs::path& root) {
  std::string failures;
  const auto remove = [&](const fs::path& entry) {
    std::error_code error;
    fs::remove_all(entry, error);
    if (error) failures += WideToAnsi(entry.wstring()) + ": " + error.message() + "; ";
  };
  for (const std::string_view name : kProgramEntries) remove(root / AnsiToWide(name));
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
    if (IsTemporaryOfProgramFile(WideToAnsi(entry.path().filename().wstring())))
      remove(entry.path());
  }
  return failures;
}

// Calls `done` every quarter of a second until it returns true, and at least once; false when
// it had not by `deadline`.
template <typename Done>
bool TryUntil(std::chrono::steady_clock::time_point deadline, const Done& done) {
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  return true;
}

using ServiceHandle = std::unique_ptr<SC_HANDLE__, decltype(&CloseServiceHandle)>;

// True once the service `name` reports itself stopped, or is not there to be asked.
bool ServiceStopped(const std::string& name) {
  const ServiceHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT),
                              &CloseServiceHandle);
  if (!manager) return true;
  const ServiceHandle service(OpenServiceA(manager.get(), name.c_str(), SERVICE_QUERY_STATUS),
                              &CloseServiceHandle);
  SERVICE_STATUS status{};
  return !service || !QueryServiceStatus(service.get(), &status) ||
         status.dwCurrentState == SERVICE_STOPPED;
}

// True while the service or the bridge of `users` may still run.
bool InUse(const DataFolderUsers& users) {
  return !ServiceStopped(users.serviceName) ||
         FindOwnProcess(users.bridgeExecutable, NameMatch::kIgnoreCase) != pid_t{0};
}

}  // namespace

std::string RestrictDataFolder(const std::string& folder) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kDataFolderAccess, SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return "the access list cannot be formed: " + SystemText(GetLastError());
  }
  const std::unique_ptr<void, decltype(&LocalFree)> owned(descriptor, &LocalFree);
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL access = nullptr;
  GetSecurityDescriptorDacl(descriptor, &present, &access, &defaulted);
  WideString path = AnsiToWide(folder);
  const DWORD result = SetNamedSecurityInfoW(
      path.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
      nullptr, nullptr, access, nullptr);
  if (result != ERROR_SUCCESS) return folder + ": " + SystemText(result);
  return "";
}

// Also after the users have ended, their files may be held a little longer (under Wine a
// stopped service's process was seen to live on for about 10 s): what could not be removed is
// tried again until the same half minute has passed.
std::string RemoveDataFiles(const std::string& folder, const DataFolderUsers& users) {
  const fs::path root(AnsiToWide(folder));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  const bool ended = TryUntil(deadline, [&] { return !InUse(users); });
  std::string problems;
  TryUntil(deadline, [&] {
    problems = RemoveProgramEntries(root);
    return problems.empty();
  });
  if (!ended) problems += "the manager's service or the bridge still runs; ";
  std::string left;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(root, error))
    left += (left.empty() ? "" : ", ") + WideToAnsi(entry.path().filename().wstring());
  if (!left.empty()) problems += folder + " is kept, with " + left + "; ";
  if (!problems.empty()) problems.resize(problems.size() - 2);
  return problems;
}

}  // namespace tavrel
