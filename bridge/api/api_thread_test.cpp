#include "bridge/api/api_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>

namespace tavrel {

namespace {

using namespace std::chrono_literals;

// Far above any wait the thread should make: reached only when the test fails.
constexpr auto kBound = 30s;

// An API service with nothing to do: each pass waits until Wake().
class IdleApiService : public ApiService {
 public:
  void Pass() override {
    std::unique_lock lock(mutex_);
    ++passes_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return woken_; });
    woken_ = false;
  }
  void Wake() override {
    const std::lock_guard lock(mutex_);
    woken_ = true;
    changed_.notify_all();
  }

  // True when `count` passes have started within the bound.
  bool PassesStarted(int count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kBound, [&] { return passes_ >= count; });
  }
  int Passes() {
    const std::lock_guard lock(mutex_);
    return passes_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int passes_ = 0;
  bool woken_ = false;
};

TEST(ApiThread, WakeEndsTheWaitingPassAndTheThreadEndsOnceExitFlagIsSet) {
  ExitFlag exitFlag;
  IdleApiService service;
  std::optional<ApiThread> thread(std::in_place, exitFlag, service);
  ASSERT_TRUE(service.PassesStarted(1));
  thread->Wake();  // the flag is clear: the loop goes on with the next pass
  ASSERT_TRUE(service.PassesStarted(2));

  exitFlag.Set();
  std::future<void> end = std::async(std::launch::async, [&] { thread.reset(); });
  const bool ended = end.wait_for(kBound) == std::future_status::ready;
  if (!ended) service.Wake();  // so that the test fails instead of hanging
  EXPECT_TRUE(ended);
  EXPECT_EQ(service.Passes(), 2);  // no pass after the flag
}

}  // namespace

}  // namespace tavrel
