// A single-instance lock that dies with its process, on a file only the account can write.
//
// The lock is an exclusive flock() on <runtime directory>/<name>.lock (of `name`, the part after
// its last backslash), where the runtime directory is the first of these that is the account's
// own: $XDG_RUNTIME_DIR, /run/user/<uid>, /tmp/tavrel-<uid> (made with mode 0700). A directory
// that is not the account's, or that others may write, is passed over, and a lock file that is
// not the account's is not used: another account could otherwise take the lock first and keep
// the program from starting. The kernel releases the lock the moment the holder ends, however it
// ends, so a crash never leaves a stale lock behind; the descriptor is close-on-exec, so a program
// that the holder starts does not inherit it. The holder writes its process id into the file, so
// that others can tell who holds it (Holder).
//
// The lock is one per account and machine: programs of two accounts do not exclude each other
// (they meet at their ports instead). A test or a trial run that wants locks of its own sets
// XDG_RUNTIME_DIR to a directory of its own (scripts/in-namespaces does).
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

class SingleInstanceLock {
 public:
  // Tries to take the lock named `name`; held() tells whether it was taken.
  explicit SingleInstanceLock(std::string_view name);
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // True when this process holds the lock; false when another process does, or when the lock
  // could not be created at all (no runtime directory of the account's own).
  bool held() const { return fd_ >= 0; }

  // The id of the process that holds the lock `name`; none when no process holds it, or when
  // that cannot be told.
  static std::optional<pid_t> Holder(std::string_view name);

  // The file of the lock `name`; none without a runtime directory of the account's own.
  static std::optional<std::string> LockPath(std::string_view name);

 private:
  int fd_ = -1;
};

}  // namespace tavrel
