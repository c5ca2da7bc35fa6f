#include "platform/process/process_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <memory>
#include <string>

namespace tavrel {

namespace {

struct ProcessStatus {
  std::string name;
  char state = 0;
};

enum class StatusRead { kRead, kGone, kUnreadable };

// Reads "pid (name) state ..." from /proc/<pid>/stat; the name may itself hold ")" or blanks,
// so it ends at the last ")". kGone when the process has ended and been reaped meanwhile.
StatusRead ReadProcessStatus(pid_t pid, ProcessStatus& status) {
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return errno == ENOENT || errno == ESRCH ? StatusRead::kGone : StatusRead::kUnreadable;
  char buffer[1024];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  const int readError = errno;
  ::close(fd);
  // A process reaped after the open reads as ESRCH, or as nothing at all.
  if (got == 0 || (got < 0 && readError == ESRCH)) return StatusRead::kGone;
  if (got < 0) return StatusRead::kUnreadable;
  const std::string_view line(buffer, static_cast<size_t>(got));
  const size_t open = line.find('(');
  const size_t close = line.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open ||
      close + 2 >= line.size()) {
    return StatusRead::kUnreadable;
  }
  status.name = line.substr(open + 1, close - open - 1);
  status.state = line[close + 2];
  return StatusRead::kRead;
}

// The target of a /proc namespace link ("pid:[4026531836]"); empty when it cannot be read.
std::string NamespaceOf(const std::string& link) {
  char target[64];
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
  return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

// True when `pid` is known to run in another PID namespace than this process: a container's
// process, which the host's /proc shows too. A link that cannot be read (another user's
// process) proves nothing, and the process counts as one of ours.
bool InOtherPidNamespace(pid_t pid) {
  static const std::string own = NamespaceOf("/proc/self/ns/pid");
  const std::string theirs = NamespaceOf("/proc/" + std::to_string(pid) + "/ns/pid");
  return !own.empty() && !theirs.empty() && theirs != own;
}

bool NamesMatch(std::string_view a, std::string_view b, NameMatch match) {
  if (match == NameMatch::kExact) return a == b;
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

// The lowest id of a running process of this PID namespace whose name matches `name` and that
// `also` accepts; 0 when none; none when some process could not be looked at.
template <typename Accept>
std::optional<pid_t> FindProcess(std::string_view name, NameMatch match, const Accept& also) {
  const std::unique_ptr<DIR, int (*)(DIR*)> proc(opendir("/proc"), closedir);
  if (!proc) return std::nullopt;
  pid_t found = 0;
  bool complete = true;
  while (true) {
    errno = 0;
    const dirent* entry = readdir(proc.get());
    if (entry == nullptr) {
      if (errno != 0) complete = false;
      break;
    }
    pid_t pid = 0;
    const std::string_view digits = entry->d_name;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0) continue;
    ProcessStatus status;
    const StatusRead read = ReadProcessStatus(pid, status);
    if (read == StatusRead::kUnreadable) complete = false;
    if (read != StatusRead::kRead || status.state == 'Z') continue;
    if (NamesMatch(status.name, name, match) && !InOtherPidNamespace(pid) &&
        (found == 0 || pid < found) && also(pid)) {
      found = pid;
    }
  }
  // A match found is certain; "none" is only when every process could be looked at.
  if (found == 0 && !complete) return std::nullopt;
  return found;
}

}  // namespace

std::optional<pid_t> FindProcessByName(std::string_view name, NameMatch match) {
  return FindProcess(name, match, [](pid_t) { return true; });
}

std::optional<std::string> ProcessExecutable(pid_t pid) {
  const std::string link = "/proc/" + std::to_string(pid) + "/exe";
  char target[4096];
  const ssize_t length = ::readlink(link.c_str(), target, sizeof target);
  if (length <= 0 || static_cast<size_t>(length) == sizeof target) return std::nullopt;
  std::string path(target, static_cast<size_t>(length));
  // A program whose file was replaced (a new build) still runs from the old one.
  constexpr std::string_view kDeleted = " (deleted)";
  if (path.ends_with(kDeleted)) path.resize(path.size() - kDeleted.size());
  return path;
}

std::optional<pid_t> FindOwnProcess(const std::string& executable, NameMatch match) {
  const size_t slash = executable.rfind('/');
  const std::string_view folder = std::string_view(executable).substr(0, slash + 1);
  const std::string_view file = std::string_view(executable).substr(slash + 1);
  // The kernel's command name is the file name cut to 15 characters.
  const std::string_view name = file.substr(0, 15);
  return FindProcess(name, match, [&](pid_t pid) {
    struct stat owner {};
    const std::string entry = "/proc/" + std::to_string(pid);
    if (::stat(entry.c_str(), &owner) != 0 || owner.st_uid != ::geteuid()) return false;
    const std::optional<std::string> path = ProcessExecutable(pid);
    return path && path->size() == executable.size() && path->starts_with(folder) &&
           NamesMatch(std::string_view(*path).substr(folder.size()), file, match);
  });
}

bool IsProcessRunning(pid_t pid) {
  ProcessStatus status;
  return pid > 0 && ReadProcessStatus(pid, status) == StatusRead::kRead && status.state != 'Z';
}

}  // namespace tavrel
