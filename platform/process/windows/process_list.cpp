#include "platform/process/process_list.h"

// Tool Help declares its calls with the types of windows.h, which must come first.
// clang-format off
#include <windows.h>
#include <tlhelp32.h>
// clang-format on

#include <vector>

#include "common/code_page.h"
#include "platform/process/windows/owned_handle.h"

namespace tavrel {

namespace {

bool NamesMatch(WideStringView a, WideStringView b, NameMatch match) {
  if (match == NameMatch::kExact) return a == b;
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The lowest id of a running process whose executable's file name matches `name` and that
// `also` accepts; 0 when none; none without a snapshot.
template <typename Accept>
std::optional<pid_t> FindProcess(WideStringView name, NameMatch match, const Accept& also) {
  const OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  if (!Process32FirstW(snapshot.get(), &entry)) {
    if (GetLastError() == ERROR_NO_MORE_FILES) return 0;
    return std::nullopt;
  }
  pid_t found = 0;
  do {
    const auto pid = static_cast<pid_t>(entry.th32ProcessID);
    if (pid != 0 && (found == 0 || pid < found) && NamesMatch(entry.szExeFile, name, match) &&
        IsProcessRunning(pid) && also(pid)) {
      found = pid;
    }
  } while (Process32NextW(snapshot.get(), &entry));
  return found;
}

// The account (user SID) of `process`; empty when it cannot be read.
std::vector<BYTE> AccountOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
  const OwnedHandle owned(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> user(size);
  if (size == 0 || !GetTokenInformation(token, TokenUser, user.data(), size, &size)) return {};
  const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
  const auto* bytes = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

bool IsOfThisAccount(HANDLE process) {
  static const std::vector<BYTE> own = AccountOf(GetCurrentProcess());
  const std::vector<BYTE> theirs = AccountOf(process);
  return !own.empty() && theirs == own;
}

// The full path of the executable of `process`, wide; empty when it cannot be read.
WideString ExecutableOf(HANDLE process) {
  std::vector<WCHAR> path(32768);  // the longest path the system allows
  auto size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) return {};
  return WideString(path.data(), size);
}

OwnedHandle OpenToQuery(pid_t pid) {
  return OwnedHandle(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
}

// `path` with "/" read as "\".
WideString WithBackslashes(WideString path) {
  for (WCHAR& character : path) {
    if (character == OLESTR('/')) character = OLESTR('\\');
  }
  return path;
}

}  // namespace

std::optional<pid_t> FindProcessByName(std::string_view name, NameMatch match) {
  return FindProcess(AnsiToWide(name), match, [](pid_t) { return true; });
}

std::optional<std::string> ProcessExecutable(pid_t pid) {
  const OwnedHandle process = OpenToQuery(pid);
  if (!process) return std::nullopt;
  const WideString path = ExecutableOf(process.get());
  if (path.empty()) return std::nullopt;
  return WideToAnsi(path);
}

std::optional<pid_t> FindOwnProcess(const std::string& executable, NameMatch match) {
  const WideString wanted = WithBackslashes(AnsiToWide(executable));
  const size_t separator = wanted.rfind(OLESTR('\\'));
  const WideStringView folder = WideStringView(wanted).substr(0, separator + 1);
  const WideStringView file = WideStringView(wanted).substr(separator + 1);
  return FindProcess(file, match, [&](pid_t pid) {
    const OwnedHandle process = OpenToQuery(pid);
    if (!process || !IsOfThisAccount(process.get())) return false;
    const WideString path = ExecutableOf(process.get());
    return path.size() == wanted.size() && WideStringView(path).starts_with(folder) &&
           NamesMatch(WideStringView(path).substr(folder.size()), file, match);
  });
}

bool IsProcessRunning(pid_t pid) {
  if (pid <= 0) return false;
  const OwnedHandle process(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
  // One this account may not open exists all the same.
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

}  // namespace tavrel
