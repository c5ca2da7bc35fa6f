#include "common/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

namespace tavrel {

namespace {

std::string ErrorText(int error) { return std::generic_category().message(error); }

// Owns a file descriptor; Close() reports the result of close(2), which the destructor cannot.
class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Removes the temporary file unless the replacement went through.
class TemporaryFileGuard {
 public:
  explicit TemporaryFileGuard(std::string path) : path_(std::move(path)) {}
  ~TemporaryFileGuard() {
    if (!committed_) ::unlink(path_.c_str());
  }
  TemporaryFileGuard(const TemporaryFileGuard&) = delete;
  TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

  const std::string& path() const { return path_; }
  void Commit() { committed_ = true; }

 private:
  std::string path_;
  bool committed_ = false;
};

// "dir/name" -> {"dir/", "name"}; "name" -> {"", "name"}.
std::pair<std::string, std::string> SplitDirectory(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {"", path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// Creates a new file beside `path` named ".<name>.<pid>.<n>.tmp", exclusively, with mode 0666
// (less the umask). Returns the descriptor, or -1 with errno set.
int CreateTemporaryBeside(const std::string& path, std::string& temporaryPath) {
  static std::atomic<unsigned> counter{0};
  const auto [directory, name] = SplitDirectory(path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporaryPath = directory + "." + name + "." + std::to_string(::getpid()) + "." +
                    std::to_string(counter.fetch_add(1)) + ".tmp";
    const int fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;  // EEXIST: left over by a dead process
  }
  return -1;
}

// True when `text` is one or more decimal digits.
bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Removes the temporaries of `path` that a writer killed mid-way left: named as
// CreateTemporaryBeside names them, by a process that no longer runs, and not written for
// kStaleAfter (a process of the same number in another PID namespace may still be writing).
void RemoveStaleTemporaries(const std::string& path) {
  constexpr std::time_t kStaleAfter = 60;
  const auto [directory, name] = SplitDirectory(path);
  DIR* listing = ::opendir(directory.empty() ? "." : directory.c_str());
  if (listing == nullptr) return;
  const std::string prefix = "." + name + ".";
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(listing)) {
    std::string_view rest = entry->d_name;
    if (!rest.starts_with(prefix) || !rest.ends_with(".tmp")) continue;
    rest = rest.substr(prefix.size(), rest.size() - prefix.size() - 4);
    const size_t dot = rest.find('.');
    if (dot == std::string_view::npos || !AllDigits(rest.substr(0, dot)) ||
        !AllDigits(rest.substr(dot + 1))) {
      continue;
    }
    const std::string pid(rest.substr(0, dot));
    struct stat status;
    const std::string file = directory + entry->d_name;
    if (pid.size() > 9 || ::kill(static_cast<pid_t>(std::stol(pid)), 0) == 0 || errno != ESRCH ||
        ::lstat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode) ||
        now - status.st_mtime < kStaleAfter) {
      continue;
    }
    ::unlink(file.c_str());
  }
  ::closedir(listing);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

// Makes the rename itself survive a power loss. The new content is already in place when
// this runs, so a failure here does not undo the replacement and is not reported.
void SyncDirectoryOf(const std::string& path) {
  const std::string directory = SplitDirectory(path).first;
  const UniqueFd fd(
      ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) ::fsync(fd.get());
}

}  // namespace

std::optional<std::string> FinalTarget(std::string path) {
  for (int links = 0; links <= 40; ++links) {
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), target, sizeof target);
    if (length < 0) return std::nullopt;
    if (static_cast<size_t>(length) == sizeof target) {
      errno = ENAMETOOLONG;
      return std::nullopt;
    }
    const std::string next(target, static_cast<size_t>(length));
    path = next.starts_with('/') ? next : SplitDirectory(path).first + next;
  }
  errno = ELOOP;
  return std::nullopt;
}

bool ReplaceFileAtomically(const std::string& path, std::initializer_list<std::string_view> parts,
                           std::string& error) {
  const std::optional<std::string> target = FinalTarget(path);
  if (!target) {
    error = ErrorText(errno);
    return false;
  }
  const std::string& file = *target;
  RemoveStaleTemporaries(file);
  std::string temporaryPath;
  UniqueFd fd(CreateTemporaryBeside(file, temporaryPath));
  if (fd.get() < 0) {
    error = ErrorText(errno);
    return false;
  }
  TemporaryFileGuard temporary(temporaryPath);

  struct stat existing;
  if (::stat(file.c_str(), &existing) == 0 && ::fchmod(fd.get(), existing.st_mode & 07777) != 0) {
    error = ErrorText(errno);
    return false;
  }
  for (std::string_view part : parts) {
    if (!WriteAll(fd.get(), part)) {
      error = ErrorText(errno);
      return false;
    }
  }
  if (::fsync(fd.get()) != 0 || !fd.Close()) {
    error = ErrorText(errno);
    return false;
  }
  if (::rename(temporary.path().c_str(), file.c_str()) != 0) {
    error = ErrorText(errno);
    return false;
  }
  temporary.Commit();
  SyncDirectoryOf(file);
  return true;
}

}  // namespace tavrel
