// A machine-wide single-instance lock that dies with its process.
//
// The lock is an abstract Unix-domain socket bound to the lock's name: binding fails while
// another process holds the name, and the kernel releases it the moment the holder ends, how
// ever it ends, so a crash never leaves a stale lock behind. The socket is close-on-exec, so a
// program that the holder starts does not inherit the lock.
#pragma once

#include <string>

namespace tavrel {

class SingleInstanceLock {
 public:
  // Tries to take the lock named `name`; held() tells whether it was taken.
  explicit SingleInstanceLock(const std::string& name);
  ~SingleInstanceLock();
  SingleInstanceLock(const SingleInstanceLock&) = delete;
  SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

  // True when this process holds the lock; false when another process does, or when the lock
  // could not be created at all.
  bool held() const { return socket_ >= 0; }

 private:
  int socket_ = -1;
};

}  // namespace tavrel
