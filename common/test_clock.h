// Clocks for tests: moments given as local calendar time, and a wall clock that a test sets.
#pragma once

#include <time.h>

#include <atomic>
#include <cstdint>

#include "common/log_time.h"

namespace tavrel {

// Seconds since the epoch of a local calendar time (daylight saving decided by the C library).
inline std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
  tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return static_cast<std::int64_t>(mktime(&local));
}

// A wall clock that stands still at the moment last set; safe to read from any thread.
class FakeWallClock {
 public:
  void Set(std::int64_t seconds, int milliseconds) {
    now_.store(seconds * 1000 + milliseconds, std::memory_order_relaxed);
  }
  WallClock AsClock() const {
    return [this] {
      const std::int64_t millis = now_.load(std::memory_order_relaxed);
      return WallTime{millis / 1000, static_cast<int>(millis % 1000)};
    };
  }

 private:
  std::atomic<std::int64_t> now_{0};
};

}  // namespace tavrel
