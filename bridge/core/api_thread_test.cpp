#include "bridge/core/api_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(ApiThread, RunsPassesUntilExitFlagAndThenNoMore) {
  ExitFlag exitFlag;
  std::atomic<int> passes{0};
  std::optional<ApiThread> thread;
  thread.emplace(exitFlag, [&] { ++passes; });
  for (int wait = 0; wait < 500 && passes.load() < 3; ++wait) std::this_thread::sleep_for(1ms);
  EXPECT_GE(passes.load(), 3);

  exitFlag.Set();
  thread.reset();  // joins
  const int afterStop = passes.load();
  std::this_thread::sleep_for(5ms);
  EXPECT_EQ(passes.load(), afterStop);
}

TEST(ApiThread, EndsAtOnceWhenExitFlagIsAlreadySet) {
  ExitFlag exitFlag;
  exitFlag.Set();
  std::atomic<int> passes{0};
  {
    const ApiThread thread(exitFlag, [&] { ++passes; });
  }
  EXPECT_EQ(passes.load(), 0);
}

}  // namespace
