// The process's CPU time and resident memory, in the units their contract gives, on both
// systems.
#include "platform/process/process_usage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace tavrel {

namespace {

using namespace std::chrono_literals;

// One thread cannot use more CPU time than the time that passes: a clock read in a wrong unit
// either gets there too soon (in less time than it claims) or not at all.
TEST(ProcessUsage, CpuTimeOfOneBusyThreadGrowsNoFasterThanTheClock) {
  constexpr double kBusySeconds = 0.2;
  const auto start = std::chrono::steady_clock::now();
  const double before = ProcessCpuSeconds();
  double used = 0;
  while (used < kBusySeconds && std::chrono::steady_clock::now() - start < 20s) {
    used = ProcessCpuSeconds() - before;
  }
  const std::chrono::duration<double> passed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(used, kBusySeconds);
  // The clock's steps: 15.6 ms on Windows.
  EXPECT_GE(passed.count() + 0.02, used);
}

// Memory written is resident at once, and counted in bytes.
TEST(ProcessUsage, ResidentBytesGrowByTheMemoryWritten) {
  constexpr std::int64_t kWritten = 64 << 20;
  const std::int64_t before = ResidentBytes();
  ASSERT_GT(before, 0);
  std::vector<char> block(kWritten, 1);
  const std::int64_t grown = ResidentBytes() - before;
  EXPECT_GE(grown, kWritten * 9 / 10);
  EXPECT_LE(grown, kWritten * 3 / 2);
  EXPECT_EQ(block[kWritten - 1], 1);
}

}  // namespace

}  // namespace tavrel
