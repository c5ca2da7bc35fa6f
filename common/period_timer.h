// PeriodTimer: a period on a millisecond tick counter.
//
// Used for the API clients' idle time-out, the groups' read cycles and the servers' status
// refresh. The timer keeps a period and the tick at which the current period started; it
// never fires by itself, callers ask it. A timer belongs to one thread at a time.
#pragma once

#include <cstdint>
#include <functional>

namespace tavrel {

// Milliseconds of CLOCK_MONOTONIC: never goes back, unaffected by changes of the wall clock.
std::uint64_t MonotonicMilliseconds();

class PeriodTimer {
 public:
  using TickSource = std::function<std::uint64_t()>;

  // The period starts now. A period of 0 or less is always elapsed.
  explicit PeriodTimer(std::int64_t periodMs = 0, TickSource ticks = MonotonicMilliseconds);

  std::int64_t GetPeriod() const { return periodMs_; }
  // Changes the period; the start stays.
  void SetPeriod(std::int64_t periodMs) { periodMs_ = periodMs; }

  // True when the current tick is at or beyond start + period. When the current tick lies
  // below the start (the counter wrapped around), the start moves to now and the answer is
  // false, so a wrap delays the timer by at most one period instead of stopping it.
  bool Elapsed();

  // Milliseconds until the current period ends, 0 once it has: what a caller may sleep before
  // Elapsed() turns true. Applies the counter rule of Elapsed().
  std::int64_t Remaining();

  // Starts a new period now when `force` is true or the timer has elapsed; reports whether
  // it did.
  bool Restart(bool force);

 private:
  std::int64_t periodMs_;
  TickSource ticks_;
  std::uint64_t startTick_;
};

}  // namespace tavrel
