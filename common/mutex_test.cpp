#include "common/mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>
#include <vector>

#include "common/word_mutex.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

// Whether another thread finds `mutex` free (and lets it go again at once).
template <typename AnyMutex>
bool FreeForAnotherThread(AnyMutex& mutex) {
  bool taken = false;
  std::thread([&] {
    if (mutex.TryLock()) {
      taken = true;
      mutex.Unlock();
    }
  }).join();
  return taken;
}

// A scoped hold of `AnyLock` keeps an `AnyMutex` from other threads, and only for its scope.
template <typename AnyMutex, typename AnyLock>
void ExpectHeldForItsScope() {
  AnyMutex mutex;
  {
    AnyLock lock(mutex);
    EXPECT_FALSE(FreeForAnotherThread(mutex));
  }
  EXPECT_TRUE(FreeForAnotherThread(mutex));
}

TEST(MutexLock, HoldsTheMutexForItsScope) { ExpectHeldForItsScope<Mutex, MutexLock>(); }

TEST(MutexLock, UnlockGivesItBackEarlyAndLockTakesItAgain) {
  Mutex mutex;
  MutexLock lock(mutex);
  lock.Unlock();
  EXPECT_TRUE(FreeForAnotherThread(mutex));
  lock.Lock();
  EXPECT_FALSE(FreeForAnotherThread(mutex));
}

// A flag set on one thread and awaited on another, as the library's classes use their locks.
struct Flag {
  Mutex mutex;
  bool ready GUARDED_BY(mutex) = false;
  std::condition_variable_any changed;
};

TEST(MutexLock, ConditionVariableWaitsOnIt) {
  Flag flag;
  std::thread setter([&] {
    MutexLock lock(flag.mutex);
    flag.ready = true;
    flag.changed.notify_all();
  });
  {
    MutexLock lock(flag.mutex);
    flag.changed.wait(lock, [&]() REQUIRES(flag.mutex) { return flag.ready; });
    EXPECT_TRUE(flag.ready);
  }
  setter.join();
  EXPECT_TRUE(FreeForAnotherThread(flag.mutex));
}

TEST(SharedMutex, ReadersShareItAndAWriterExcludesThem) {
  SharedMutex mutex;
  {
    ReaderLock reader(mutex);
    std::thread([&] { ReaderLock second(mutex); }).join();  // would hang if readers excluded
  }
  std::atomic<bool> read = false;
  std::thread reader;
  {
    WriterLock writer(mutex);
    reader = std::thread([&] {
      ReaderLock lock(mutex);
      read = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(read);
  }
  reader.join();
  EXPECT_TRUE(read);
}

TEST(WordMutex, HoldsForItsScope) { ExpectHeldForItsScope<WordMutex, WordMutexLock>(); }

// Threads that wait for each other all the time: no increment is lost, and none sleeps for
// good (a lost wake-up hangs the test). The thread sanitizer build checks the ordering too.
TEST(WordMutex, ThreadsThatContendForItTakeTurns) {
  constexpr int kThreads = 4;
  constexpr int kIncrements = 50'000;
  struct Counter {
    WordMutex mutex;
    int value GUARDED_BY(mutex) = 0;
  } counter;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kIncrements; ++i) {
        WordMutexLock lock(counter.mutex);
        ++counter.value;
        if (i % 1000 == 0) std::this_thread::yield();  // holds it long enough to be waited for
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  WordMutexLock lock(counter.mutex);
  EXPECT_EQ(counter.value, kThreads * kIncrements);
}

}  // namespace

}  // namespace tavrel
