// A single-instance lock that dies with its process.
//
// Linux: an exclusive flock() on <runtime directory>/<name>.lock (of `name`, the part after its
// last backslash), on a file only the account can write, where the runtime directory is the
// first of these that is the account's own: $XDG_RUNTIME_DIR, /run/user/<uid>,
// /tmp/tavrel-<uid> (made with mode 0700). A directory that is not the account's, or that
// others may write, is passed over, and a lock file that is not the account's is not used:
// another account could otherwise take the lock first and keep the program from starting. The
// kernel releases the lock the moment the holder ends, however it ends, so a crash never leaves
// a stale lock behind; the descriptor is close-on-exec, so a program that the holder starts
// does not inherit it. The holder writes its process id into the file, so that others can tell
// who holds it (Holder). The lock is one per account and machine: programs of two accounts do
// not exclude each other (they meet at their ports instead). A test or a trial run that wants
// locks of its own sets XDG_RUNTIME_DIR to a directory of its own (scripts/in-namespaces does).
//
// Windows: the named semaphore `name` itself (count 1, at most 1; "Global\..." names it for
// every session of the machine). It is held by the process that created it; when it exists
// already (ERROR_ALREADY_EXISTS), another process holds it. Its handle is not inherited by the
// programs the holder starts, and the system closes it when the holder ends, however it ends:
// the semaphore goes with its last handle, so a crash leaves no stale lock. The lock is one per
// machine, across accounts and sessions.
#pragma once

#include <sys/types.h>

#include <cstdint>
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
  // could not be created at all (Linux: no runtime directory of the account's own; Windows: a
  // semaphore of that name that this account may not open).
  bool held() const { return lock_ != kNotHeld; }

  // The id of the process that holds the lock `name`; none when no process holds it, or when
  // that cannot be told. On Windows it cannot: a semaphore does not name its holder, and
  // opening it to ask would keep it in existence, so that a holder starting meanwhile would
  // take itself for a second instance. None there, always.
  static std::optional<pid_t> Holder(std::string_view name);

  // The file of the lock `name`; none without a runtime directory of the account's own, and on
  // Windows, where the lock is no file.
  static std::optional<std::string> LockPath(std::string_view name);

 private:
  static constexpr std::intptr_t kNotHeld = -1;
  // The lock's file descriptor (Linux) or semaphore handle (Windows) while held.
  std::intptr_t lock_ = kNotHeld;
};

}  // namespace tavrel
