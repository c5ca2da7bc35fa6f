#include "common/word_mutex.h"

#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace tavrel {

namespace {

// Where the threads that wait for WordMutexes sleep, chosen by the mutex's address.
struct WaitBucket {
  std::mutex mutex;
  std::condition_variable woken;
};

constexpr std::size_t kWaitBuckets = 64;

WaitBucket& BucketOf(const void* address) {
  // Never destroyed: threads still running at the program's exit may wait in them.
  static WaitBucket* const buckets = new WaitBucket[kWaitBuckets];
  return buckets[(reinterpret_cast<std::uintptr_t>(address) / alignof(std::uint32_t)) %
                 kWaitBuckets];
}

}  // namespace

void WordMutex::LockContended() {
  WaitBucket& bucket = BucketOf(&state_);
  while (state_.exchange(kContended, std::memory_order_acquire) != kFree) {
    // The word is looked at under the bucket's lock, which the holder takes between setting
    // it free and waking: either this sees it free, or it sleeps before that wake.
    std::unique_lock lock(bucket.mutex);
    bucket.woken.wait(lock, [&] { return state_.load(std::memory_order_relaxed) != kContended; });
  }
}

void WordMutex::WakeWaiters() {
  WaitBucket& bucket = BucketOf(&state_);
  { const std::lock_guard lock(bucket.mutex); }
  bucket.woken.notify_all();  // they may wait for other mutexes of the bucket too
}

}  // namespace tavrel
