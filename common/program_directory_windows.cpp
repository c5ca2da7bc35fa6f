#include <windows.h>

#include <vector>

#include "common/code_page.h"
#include "common/program_directory.h"

namespace tavrel {

std::optional<std::string> ProgramDirectory() {
  // A path longer than the buffer comes back cut to its size: the buffer grows until it fits,
  // up to the longest path the system allows.
  std::vector<WCHAR> path(MAX_PATH);
  DWORD length = 0;
  while (true) {
    length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::nullopt;
    if (length < path.size()) break;
    if (path.size() >= 32768) return std::nullopt;
    path.resize(path.size() * 2);
  }
  const WideStringView executable(path.data(), length);
  const std::size_t separator = executable.rfind(OLESTR('\\'));
  if (separator == WideStringView::npos) return std::nullopt;
  return WideToAnsi(executable.substr(0, separator));
}

}  // namespace tavrel
