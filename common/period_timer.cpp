#include "common/period_timer.h"

#include <time.h>

#include <utility>

namespace tavrel {

std::uint64_t MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000 +
         static_cast<std::uint64_t>(now.tv_nsec / 1000000);
}

PeriodTimer::PeriodTimer(std::int64_t periodMs, TickSource ticks)
    : periodMs_(periodMs), ticks_(std::move(ticks)), startTick_(ticks_()) {}

bool PeriodTimer::Elapsed() {
  const std::uint64_t now = ticks_();
  if (now < startTick_) {
    startTick_ = now;
    return false;
  }
  if (periodMs_ <= 0) return true;
  return now - startTick_ >= static_cast<std::uint64_t>(periodMs_);
}

std::int64_t PeriodTimer::Remaining() {
  if (Elapsed() || periodMs_ <= 0) return 0;
  const std::uint64_t end = startTick_ + static_cast<std::uint64_t>(periodMs_);
  const std::uint64_t now = ticks_();
  return now >= end ? 0 : static_cast<std::int64_t>(end - now);
}

bool PeriodTimer::Restart(bool force) {
  if (!force && !Elapsed()) return false;
  startTick_ = ticks_();
  return true;
}

}  // namespace tavrel
