// WordMutex: a mutex in four bytes, for locks that come by the hundred thousand (one per tag's
// live value), where a std::mutex would take 40 bytes of each.
//
// It suits short holds: taking a free one and letting go of one no one waits for are one
// atomic operation each. A thread that finds it taken sleeps on a condition variable that it
// shares with the mutexes whose addresses fall in the same one of 64 buckets, and is woken
// only when one waits. (std::atomic's own wait is not used: the C++ library of the
// Windows build can miss its notification and leave the waiter asleep for ever.) It is not
// recursive and not fair; annotated like Mutex (mutex.h) for clang's -Wthread-safety, and held
// for a scope with WordMutexLock.
//
// The word is 0 when free, 1 when held with no one waiting, 2 when held and a thread may be
// waiting. A thread that has to wait stores 2 itself, so the holder that lets go of a 2 knows
// to wake the waiters; a woken thread takes the lock as 2 again, since others may still wait.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/thread_annotations.h"

namespace tavrel {

class CAPABILITY("mutex") WordMutex {
 public:
  WordMutex() = default;
  WordMutex(const WordMutex&) = delete;
  WordMutex& operator=(const WordMutex&) = delete;

  void Lock() ACQUIRE() {
    std::uint32_t expected = kFree;
    if (state_.compare_exchange_strong(expected, kHeld, std::memory_order_acquire)) return;
    LockContended();
  }

  void Unlock() RELEASE() {
    if (state_.exchange(kFree, std::memory_order_release) == kContended) WakeWaiters();
  }

  // Takes the lock when it is free and says whether it did; never blocks.
  bool TryLock() TRY_ACQUIRE(true) {
    std::uint32_t expected = kFree;
    return state_.compare_exchange_strong(expected, kHeld, std::memory_order_acquire);
  }

 private:
  static constexpr std::uint32_t kFree = 0;
  static constexpr std::uint32_t kHeld = 1;
  static constexpr std::uint32_t kContended = 2;

  // Waits in the bucket until the lock is taken.
  void LockContended();
  // Wakes the bucket's waiters, after the word was set free.
  void WakeWaiters();

  std::atomic<std::uint32_t> state_{kFree};
};

// Holds a WordMutex for its scope.
class SCOPED_CAPABILITY WordMutexLock {
 public:
  explicit WordMutexLock(WordMutex& mutex) ACQUIRE(mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~WordMutexLock() RELEASE() { mutex_.Unlock(); }
  WordMutexLock(const WordMutexLock&) = delete;
  WordMutexLock& operator=(const WordMutexLock&) = delete;

 private:
  WordMutex& mutex_;
};

}  // namespace tavrel
