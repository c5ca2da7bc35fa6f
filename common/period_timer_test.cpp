#include "common/period_timer.h"

#include <gtest/gtest.h>

namespace tavrel {

namespace {

// A tick counter that the test moves by hand.
class ManualTicks {
 public:
  explicit ManualTicks(std::uint64_t start) : now_(start) {}
  PeriodTimer::TickSource Source() {
    return [this] { return now_; };
  }
  void Set(std::uint64_t now) { now_ = now; }
  void Advance(std::uint64_t ms) { now_ += ms; }

 private:
  std::uint64_t now_;
};

TEST(PeriodTimer, ElapsesExactlyWhenThePeriodHasPassed) {
  ManualTicks ticks(1000);
  PeriodTimer timer(60000, ticks.Source());
  EXPECT_FALSE(timer.Elapsed());
  EXPECT_EQ(timer.Remaining(), 60000);
  ticks.Advance(59999);
  EXPECT_FALSE(timer.Elapsed());
  EXPECT_EQ(timer.Remaining(), 1);
  ticks.Advance(1);
  EXPECT_TRUE(timer.Elapsed());
  EXPECT_EQ(timer.Remaining(), 0);
  ticks.Advance(100000);
  EXPECT_TRUE(timer.Elapsed());
  EXPECT_EQ(timer.Remaining(), 0);
}

TEST(PeriodTimer, RestartOnlyWhenElapsedOrForced) {
  ManualTicks ticks(0);
  PeriodTimer timer(500, ticks.Source());
  ticks.Advance(499);
  EXPECT_FALSE(timer.Restart(false));
  ticks.Advance(1);
  EXPECT_TRUE(timer.Restart(false));  // new period starts at 500
  ticks.Advance(499);
  EXPECT_FALSE(timer.Elapsed());

  EXPECT_TRUE(timer.Restart(true));  // forced at 999: next elapse at 1499
  ticks.Set(1498);
  EXPECT_FALSE(timer.Elapsed());
  ticks.Set(1499);
  EXPECT_TRUE(timer.Elapsed());
}

TEST(PeriodTimer, CounterBelowStartMovesTheStartInsteadOfElapsing) {
  ManualTicks ticks(0xFFFFFF00u);
  PeriodTimer timer(3000, ticks.Source());
  ticks.Set(10);  // the counter wrapped
  EXPECT_FALSE(timer.Elapsed());
  EXPECT_EQ(timer.Remaining(), 3000);
  ticks.Set(3009);
  EXPECT_FALSE(timer.Elapsed());  // the period now counts from 10
  ticks.Set(3010);
  EXPECT_TRUE(timer.Elapsed());
}

TEST(PeriodTimer, NewPeriodCountsFromTheOldStart) {
  ManualTicks ticks(0);
  PeriodTimer timer(1000, ticks.Source());
  ticks.Set(600);
  timer.SetPeriod(500);
  EXPECT_EQ(timer.GetPeriod(), 500);
  EXPECT_TRUE(timer.Elapsed());
}

TEST(PeriodTimer, NonPositivePeriodIsAlwaysElapsed) {
  ManualTicks ticks(5);
  PeriodTimer zero(0, ticks.Source());
  PeriodTimer negative(-20, ticks.Source());
  EXPECT_TRUE(zero.Elapsed());
  EXPECT_TRUE(negative.Elapsed());
  EXPECT_EQ(negative.Remaining(), 0);
}

}  // namespace

}  // namespace tavrel
