#include "platform/process/process_list.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

struct ProcessStatus {
  std::string name;
  char state = 0;
};

// Reads "pid (name) state ..." from /proc/<pid>/stat; the name may itself hold ")" or blanks,
// so it ends at the last ")".
bool ReadProcessStatus(pid_t pid, ProcessStatus& status) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  const std::string line{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const size_t open = line.find('(');
  const size_t close = line.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open ||
      close + 2 >= line.size()) {
    return false;
  }
  status.name = line.substr(open + 1, close - open - 1);
  status.state = line[close + 2];
  return true;
}

bool NamesMatch(std::string_view a, std::string_view b, NameMatch match) {
  if (match == NameMatch::kExact) return a == b;
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

pid_t FindProcessByName(std::string_view name, NameMatch match) {
  const std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
  if (!proc) return 0;
  pid_t found = 0;
  while (const dirent* entry = readdir(proc.get())) {
    pid_t pid = 0;
    const std::string_view digits = entry->d_name;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0) continue;
    ProcessStatus status;
    if (!ReadProcessStatus(pid, status) || status.state == 'Z') continue;
    if (NamesMatch(status.name, name, match) && (found == 0 || pid < found)) found = pid;
  }
  return found;
}

bool IsProcessRunning(pid_t pid) {
  ProcessStatus status;
  return pid > 0 && ReadProcessStatus(pid, status) && status.state != 'Z';
}
