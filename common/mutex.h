// Mutex, SharedMutex and their scoped holds, annotated for clang's -Wthread-safety (see
// common/thread_annotations.h). They are thin: a Mutex is a std::mutex, a SharedMutex a
// std::shared_mutex, with the same blocking and fairness; only the analysis sees more.
//
// A member a lock guards is declared GUARDED_BY(that lock); a function that needs the lock
// held is declared REQUIRES(it). Holds are scoped: MutexLock, WriterLock and ReaderLock take
// the lock in their constructor and give it back in their destructor.
//
// Waiting on a condition: a MutexLock is BasicLockable (lock()/unlock()), so a
// std::condition_variable_any waits on it directly. The analysis checks a wait's predicate as
// a function of its own; a predicate lambda that reads guarded members says so with
// REQUIRES(the lock), which is true while the condition variable calls it:
//
//   MutexLock lock(mutex_);
//   changed_.wait(lock, [this]() REQUIRES(mutex_) { return ready_; });
#pragma once

#include <mutex>
#include <shared_mutex>

#include "common/thread_annotations.h"

namespace tavrel {

class CAPABILITY("mutex") Mutex {
 public:
  Mutex() = default;
  Mutex(const Mutex&) = delete;
  Mutex& operator=(const Mutex&) = delete;

  void Lock() ACQUIRE() { mutex_.lock(); }
  void Unlock() RELEASE() { mutex_.unlock(); }
  // Takes the lock when it is free and says whether it did; never blocks.
  bool TryLock() TRY_ACQUIRE(true) { return mutex_.try_lock(); }

 private:
  friend class MutexLock;
  std::mutex mutex_;
};

// Holds a Mutex for its scope. Unlock() gives the lock back early and Lock() takes it again
// (the destructor gives back only what is held); lock() and unlock() are the same for
// std::condition_variable_any.
class SCOPED_CAPABILITY MutexLock {
 public:
  explicit MutexLock(Mutex& mutex) ACQUIRE(mutex) : lock_(mutex.mutex_) {}
  ~MutexLock() RELEASE() = default;
  MutexLock(const MutexLock&) = delete;
  MutexLock& operator=(const MutexLock&) = delete;

  void Lock() ACQUIRE() { lock_.lock(); }
  void Unlock() RELEASE() { lock_.unlock(); }
  void lock() ACQUIRE() { lock_.lock(); }
  void unlock() RELEASE() { lock_.unlock(); }

 private:
  std::unique_lock<std::mutex> lock_;
};

// A lock that many readers may hold at once, or one writer alone.
class CAPABILITY("shared mutex") SharedMutex {
 public:
  SharedMutex() = default;
  SharedMutex(const SharedMutex&) = delete;
  SharedMutex& operator=(const SharedMutex&) = delete;

 private:
  friend class WriterLock;
  friend class ReaderLock;
  std::shared_mutex mutex_;
};

// Holds a SharedMutex exclusively for its scope.
class SCOPED_CAPABILITY WriterLock {
 public:
  explicit WriterLock(SharedMutex& mutex) ACQUIRE(mutex) : lock_(mutex.mutex_) {}
  ~WriterLock() RELEASE() = default;
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;

 private:
  std::unique_lock<std::shared_mutex> lock_;
};

// Holds a SharedMutex shared for its scope, beside other readers.
class SCOPED_CAPABILITY ReaderLock {
 public:
  explicit ReaderLock(SharedMutex& mutex) ACQUIRE_SHARED(mutex) : lock_(mutex.mutex_) {}
  ~ReaderLock() RELEASE() = default;
  ReaderLock(const ReaderLock&) = delete;
  ReaderLock& operator=(const ReaderLock&) = delete;

 private:
  std::shared_lock<std::shared_mutex> lock_;
};

}  // namespace tavrel
