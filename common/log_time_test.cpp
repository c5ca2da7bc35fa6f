#include "common/log_time.h"

#include <gtest/gtest.h>

#include <cstring>

#include "common/test_clock.h"

namespace tavrel {

namespace {

const WallTime kMorning{LocalSeconds(2024, 1, 31, 8, 5, 9), 42};

TEST(LogTime, FormatsLocalTimeWithMilliseconds) {
  EXPECT_EQ(FormatTagTime(kMorning.seconds, kMorning.milliseconds), "2024-01-31 08:05:09 042");
  EXPECT_EQ(FormatTagTime(LocalSeconds(1999, 12, 31, 23, 59, 59), 999), "1999-12-31 23:59:59 999");
}

TEST(LogTime, KeepsTwentyThreeCharactersForOutOfRangeInput) {
  EXPECT_EQ(FormatTagTime(kMorning.seconds, 1500), "2024-01-31 08:05:09 999");
  EXPECT_EQ(FormatTagTime(kMorning.seconds, -3), "2024-01-31 08:05:09 000");
  // Far beyond year 9999.
  EXPECT_EQ(FormatTagTime(std::int64_t{1} << 50, 0), "0000-00-00 00:00:00 000");
}

TEST(LogTime, FillsTheCallersBufferWithTheWholeStamp) {
  char buffer[64];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(FormatLogTime(buffer, sizeof buffer, kMorning), kLogTimeLength);
  EXPECT_STREQ(buffer, "2024-01-31 08:05:09 042");
}

TEST(LogTime, ShortBufferGetsAShortenedStampThatIsStillTerminated) {
  char buffer[32];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(FormatLogTime(buffer, 11, kMorning), 10u);
  EXPECT_STREQ(buffer, "2024-01-31");
  EXPECT_EQ(buffer[11], 'x');  // nothing written past the given length

  EXPECT_EQ(FormatLogTime(buffer, kLogTimeLength, kMorning), kLogTimeLength - 1);
  EXPECT_STREQ(buffer, "2024-01-31 08:05:09 04");
  EXPECT_EQ(buffer[kLogTimeLength], 'x');

  buffer[0] = 'y';
  EXPECT_EQ(FormatLogTime(buffer, 0, kMorning), 0u);
  EXPECT_EQ(buffer[0], 'y');
}

}  // namespace

}  // namespace tavrel
