#include "bridge/mqtt/latest_values.h"

#include <gtest/gtest.h>

namespace tavrel {

namespace {

TagLiveValue Value(std::int32_t handle, std::uint32_t count) {
  TagLiveValue value;
  value.handle = handle;
  value.updateCount = count;
  return value;
}

TEST(LatestValues, KeepsTheLatestPerTagInTheOrderTagsFirstChangedAndWakesOncePerFilling) {
  int wakes = 0;
  LatestValues latest({Value(0, 0), Value(1, 0), Value(2, 0)}, [&] { ++wakes; });
  std::vector<LatestValue> taken;

  latest.Put(Value(2, 1), {std::int64_t{1}});
  latest.Put(Value(0, 1), {});
  latest.Put(Value(2, 2), {std::int64_t{2}});
  latest.Put(Value(7, 1), {});  // not a tag of the map
  latest.TakeAll(taken);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].value.handle, 2);
  EXPECT_EQ(taken[0].value.updateCount, 2u);
  EXPECT_EQ(taken[0].typed, TypedValue{std::int64_t{2}});
  EXPECT_EQ(taken[1].value.handle, 0);
  EXPECT_EQ(wakes, 1);

  // After a take every tag starts afresh, in its new order.
  latest.Put(Value(0, 2), {});
  latest.Put(Value(2, 3), {std::int64_t{3}});
  latest.TakeAll(taken);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].value.handle, 0);
  EXPECT_EQ(taken[1].value.updateCount, 3u);
  EXPECT_EQ(wakes, 2);

  latest.TakeAll(taken);
  EXPECT_TRUE(taken.empty());
}

// What a new connection publishes: the last value taken of each tag, or its initial one; a
// value put but not yet taken is not current.
TEST(LatestValues, CurrentIsTheLastTakenOrTheInitialValue) {
  LatestValues latest({Value(0, 4), Value(1, 0)}, nullptr);
  std::vector<LatestValue> taken;
  latest.Put(Value(1, 1), {true});
  EXPECT_EQ(latest.Current(1).value.updateCount, 0u);
  latest.TakeAll(taken);
  latest.Put(Value(1, 2), {false});
  EXPECT_EQ(latest.Current(0).value.updateCount, 4u);
  EXPECT_EQ(latest.Current(1).value.updateCount, 1u);
  EXPECT_EQ(latest.Current(1).typed, TypedValue{true});
}

}  // namespace

}  // namespace tavrel
