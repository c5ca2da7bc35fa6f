#include <windows.h>

#include <algorithm>
#include <optional>

#include "common/data_directory.h"

namespace tavrel {

namespace {

constexpr char kInstallationKey[] = "SOFTWARE\\Tavrel";

// The text value `name` of the installation's key, without trailing separators; none when it
// is missing or not text.
std::optional<std::string> InstallationValue(const char* name) {
  char value[MAX_PATH * 2];
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, kInstallationKey, name, RRF_RT_REG_SZ, nullptr, value,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string text(value);
  while (!text.empty() && (text.back() == '\\' || text.back() == '/')) text.pop_back();
  return text;
}

// Folder names compare ignoring case and the kind of separator, as the file system does.
bool SameFolder(std::string first, std::string second) {
  std::replace(first.begin(), first.end(), '/', '\\');
  std::replace(second.begin(), second.end(), '/', '\\');
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, first.c_str(), -1, second.c_str(), -1) ==
         CSTR_EQUAL;
}

}  // namespace

std::string DataDirectory(const std::string& programDirectory) {
  const std::optional<std::string> installed = InstallationValue("InstallDirectory");
  if (!installed || !SameFolder(*installed, programDirectory)) return programDirectory;
  return InstallationValue("DataDirectory").value_or(programDirectory);
}

}  // namespace tavrel
