#include "manager/windows/data_folder_setup.h"

// clang-format off: windows.h first, the security headers need its types.
#include <aclapi.h>
#include <sddl.h>
#include <windows.h>
// clang-format on

#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

#include "common/code_page.h"
#include "common/crash_report.h"
#include "common/program_files.h"

namespace tavrel {

namespace {

namespace fs = std::filesystem;

// Protected (P: nothing inherited from ProgramData), inherited by files and folders (OICI):
// full access (FA) for LocalSystem (SY) and administrators (BA); read, execute and list
// (0x1200a9) for users (BU).
constexpr wchar_t kDataFolderAccess[] =
    L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

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
  // The system passes the inheritable entries on to what the folder holds already.
  WideString path = AnsiToWide(folder);
  const DWORD result = SetNamedSecurityInfoW(
      path.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
      nullptr, nullptr, access, nullptr);
  if (result != ERROR_SUCCESS) return folder + ": " + SystemText(result);
  return "";
}

std::string RemoveDataFiles(const std::string& folder) {
  const fs::path root(AnsiToWide(folder));
  std::string problems;
  const auto remove = [&](const fs::path& entry) {
    std::error_code error;
    fs::remove_all(entry, error);
    if (error) problems += WideToAnsi(entry.wstring()) + ": " + error.message() + "; ";
  };
  for (const std::string_view name : kProgramEntries) remove(root / AnsiToWide(name));
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
    if (IsTemporaryOfProgramFile(WideToAnsi(entry.path().filename().wstring())))
      remove(entry.path());
  }
  if (error && error != std::errc::no_such_file_or_directory) {
    return folder + ": " + error.message();
  }
  if (fs::exists(root, error) && fs::is_empty(root, error)) fs::remove(root, error);
  if (fs::exists(root)) problems += folder + " is kept: it holds files of others; ";
  if (!problems.empty()) problems.resize(problems.size() - 2);
  return problems;
}

}  // namespace tavrel
