#include "bridge/mqtt/latest_values.h"

#include <gtest/gtest.h>

namespace {

TagLiveValue Value(std::int32_t handle, std::uint32_t count) {
  TagLiveValue value;
  value.handle = handle;
  value.updateCount = count;
  return value;
}

TEST(LatestValues, KeepsTheLatestPerTagInTheOrderTagsFirstChangedAndWakesOncePerFilling) {
  int wakes = 0;
  LatestValues latest(3, [&] { ++wakes; });
  std::vector<TagLiveValue> taken;

  latest.Put(Value(2, 1));
  latest.Put(Value(0, 1));
  latest.Put(Value(2, 2));
  latest.Put(Value(7, 1));  // not a tag of the map
  latest.TakeAll(taken);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].handle, 2);
  EXPECT_EQ(taken[0].updateCount, 2u);
  EXPECT_EQ(taken[1].handle, 0);
  EXPECT_EQ(wakes, 1);

  // After a take every tag starts afresh, in its new order.
  latest.Put(Value(0, 2));
  latest.Put(Value(2, 3));
  latest.TakeAll(taken);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].handle, 0);
  EXPECT_EQ(taken[1].updateCount, 3u);
  EXPECT_EQ(wakes, 2);

  latest.TakeAll(taken);
  EXPECT_TRUE(taken.empty());
}

}  // namespace
