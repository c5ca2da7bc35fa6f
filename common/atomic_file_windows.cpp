// The Windows counterpart of atomic_file.cpp. The temporary beside the target is written,
// flushed to the disk (FlushFileBuffers) and moved over the target with MoveFileEx
// (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), which replaces it in one step and
// returns once the move is on the disk. A replaced file's attributes and permissions are those
// the temporary was given by its directory; links are not followed (an installation on Windows
// keeps its files in its own folder). Texts of failures are the system's (FormatMessage).
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>

#include "common/atomic_file.h"

namespace tavrel {

namespace {

std::string LastErrorText() {
  return std::system_category().message(static_cast<int>(GetLastError()));
}

// Closes the handle; the temporary is deleted unless the replacement went through.
class TemporaryFile {
 public:
  TemporaryFile(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~TemporaryFile() {
    Close();
    if (!committed_) DeleteFileA(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  HANDLE get() const { return handle_; }
  const std::string& path() const { return path_; }
  bool Close() {
    const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
    return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) != 0;
  }
  void Commit() { committed_ = true; }

 private:
  HANDLE handle_;
  std::string path_;
  bool committed_ = false;
};

// "dir/name" or "dir\name" -> {"dir/", "name"}; "name" -> {"", "name"}.
std::pair<std::string, std::string> SplitDirectory(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  if (separator == std::string::npos) return {"", path};
  return {path.substr(0, separator + 1), path.substr(separator + 1)};
}

// Removes the temporaries of `path` (".<name>.<pid>.<n>.tmp") whose process no longer runs
// and that were not written for a minute: those of writers killed mid-way.
void RemoveStaleTemporaries(const std::string& path) {
  constexpr ULONGLONG kStaleAfter = 60ULL * 10'000'000;  // in FILETIME ticks
  const auto [directory, name] = SplitDirectory(path);
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((directory + "." + name + ".*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  do {
    const std::string rest = found.cFileName + name.size() + 2;  // "<pid>.<n>.tmp"
    char* end = nullptr;
    const unsigned long pid = std::strtoul(rest.c_str(), &end, 10);
    if (end == rest.c_str() || *end != '.' ||
        ticks(now) - ticks(found.ftLastWriteTime) < kStaleAfter) {
      continue;
    }
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process != nullptr) {
      CloseHandle(process);
      continue;
    }
    if (GetLastError() == ERROR_INVALID_PARAMETER)
      DeleteFileA((directory + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

std::optional<std::string> FinalTarget(std::string path) { return path; }

bool ReplaceFileAtomically(const std::string& path, std::initializer_list<std::string_view> parts,
                           std::string& error) {
  static std::atomic<unsigned> counter{0};
  RemoveStaleTemporaries(path);
  const auto [directory, name] = SplitDirectory(path);
  const std::string temporaryPath = directory + "." + name + "." +
                                    std::to_string(GetCurrentProcessId()) + "." +
                                    std::to_string(counter.fetch_add(1)) + ".tmp";
  const HANDLE handle = CreateFileA(temporaryPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = LastErrorText();
    return false;
  }
  TemporaryFile temporary(handle, temporaryPath);
  for (std::string_view part : parts) {
    DWORD written = 0;
    if (!WriteFile(temporary.get(), part.data(), static_cast<DWORD>(part.size()), &written,
                   nullptr) ||
        written != part.size()) {
      error = LastErrorText();
      return false;
    }
  }
  if (!FlushFileBuffers(temporary.get()) || !temporary.Close() ||
      !MoveFileExA(temporary.path().c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastErrorText();
    return false;
  }
  temporary.Commit();
  return true;
}

}  // namespace tavrel
