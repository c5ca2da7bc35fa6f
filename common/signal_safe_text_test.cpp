#include "common/signal_safe_text.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cstdint>
#include <limits>

#include "common/log_time.h"
#include "common/test_clock.h"

namespace tavrel {

namespace {

TEST(SignalSafeText, FormatsNumbersAndCutsWhatDoesNotFit) {
  char buffer[64];
  SignalSafeText text(buffer, sizeof buffer);
  text.AppendDecimal(-42).Append(" ").AppendPadded(7, 3).Append(" ").AppendHex(0x10);
  text.Append(" ").AppendHex(0).Append(" ").AppendDecimal(std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(text.View(), "-42 007 0x10 0x0 -9223372036854775808");

  char small[5];
  SignalSafeText cut(small, sizeof small);
  cut.Append("abc").AppendDecimal(12345);
  EXPECT_EQ(cut.View(), "abc12");
}

TEST(SignalSafeText, CalendarAgreesWithTheCLibrary) {
  // Every 13 days and a few hours over three centuries, both sides of 1970 and leap days.
  for (std::int64_t seconds = -2208988800; seconds < 7258118400; seconds += 13 * 86400 + 3607) {
    const time_t time = static_cast<time_t>(seconds);
    tm utc{};
    ASSERT_NE(gmtime_r(&time, &utc), nullptr);
    const CalendarTime calendar = CalendarFromSeconds(seconds);
    ASSERT_EQ(calendar.year, utc.tm_year + 1900) << seconds;
    ASSERT_EQ(calendar.month, utc.tm_mon + 1) << seconds;
    ASSERT_EQ(calendar.day, utc.tm_mday) << seconds;
    ASSERT_EQ(calendar.hour, utc.tm_hour) << seconds;
    ASSERT_EQ(calendar.minute, utc.tm_min) << seconds;
    ASSERT_EQ(calendar.second, utc.tm_sec) << seconds;
  }
}

TEST(SignalSafeText, LogTimeMatchesFormatTagTimeWithTheLocalOffset) {
  const std::int64_t seconds = LocalSeconds(2024, 2, 29, 23, 59, 58);
  const time_t time = static_cast<time_t>(seconds);
  tm local{};
  ASSERT_NE(localtime_r(&time, &local), nullptr);
  char buffer[32];
  SignalSafeText text(buffer, sizeof buffer);
  AppendLogTime(text, seconds, 5, local.tm_gmtoff);
  EXPECT_EQ(text.View(), FormatTagTime(seconds, 5));
  EXPECT_EQ(text.View(), "2024-02-29 23:59:58 005");
}

}  // namespace

}  // namespace tavrel
