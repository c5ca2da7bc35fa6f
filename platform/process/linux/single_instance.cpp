#include "platform/process/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "common/decimal_text.h"

namespace tavrel {

namespace {

// True when `path` is a directory (not a link to one) of this account that no one else may
// write to.
bool IsOwnPrivateDirectory(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == ::geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::optional<std::string> RuntimeDirectory() {
  // One that is not the account's (inherited from another account, as setpriv or sudo keep
  // the environment) is passed over for the next.
  if (const char* set = std::getenv("XDG_RUNTIME_DIR");
      set != nullptr && *set != '\0' && IsOwnPrivateDirectory(set)) {
    return set;
  }
  const std::string uid = std::to_string(::geteuid());
  if (const std::string user = "/run/user/" + uid; IsOwnPrivateDirectory(user)) return user;
  const std::string fallback = "/tmp/tavrel-" + uid;
  ::mkdir(fallback.c_str(), 0700);  // may exist: checked next
  if (IsOwnPrivateDirectory(fallback)) return fallback;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> SingleInstanceLock::LockPath(std::string_view name) {
  const std::optional<std::string> directory = RuntimeDirectory();
  if (!directory) return std::nullopt;
  const size_t separator = name.rfind('\\');
  const std::string_view base =
      separator == std::string_view::npos ? name : name.substr(separator + 1);
  return *directory + "/" + std::string(base) + ".lock";
}

SingleInstanceLock::SingleInstanceLock(std::string_view name) {
  const std::optional<std::string> path = LockPath(name);
  if (!path) return;
  const int fd = ::open(path->c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || status.st_uid != ::geteuid() ||
      ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return;
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  // Who holds it is told on a best-effort basis; the lock itself is held either way.
  if (::ftruncate(fd, 0) == 0) (void)!::pwrite(fd, pid.data(), pid.size(), 0);
  lock_ = fd;
}

SingleInstanceLock::~SingleInstanceLock() {
  if (held()) ::close(static_cast<int>(lock_));
}

std::optional<pid_t> SingleInstanceLock::Holder(std::string_view name) {
  const std::optional<std::string> path = LockPath(name);
  if (!path) return std::nullopt;
  const int fd = ::open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return std::nullopt;
  std::optional<pid_t> holder;
  if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
    ::flock(fd, LOCK_UN);  // no one holds it
  } else if (errno == EWOULDBLOCK) {
    char text[32];
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    const int pid = got > 0 ? ParseDecimal(std::string_view(text, static_cast<size_t>(got))) : 0;
    if (pid > 0) holder = static_cast<pid_t>(pid);
  }
  ::close(fd);
  return holder;
}

}  // namespace tavrel
