// FILETIME, SYSTEMTIME and DATE conversions.
#include <gtest/gtest.h>

#include "platform/com/com_api.h"
#include "platform/com/file_time_ticks.h"

namespace tavrel {

namespace {

SYSTEMTIME Calendar(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0,
                    WORD second = 0, WORD millisecond = 0) {
  return SYSTEMTIME{year, month, 0, day, hour, minute, second, millisecond};
}

void ExpectCalendar(const SYSTEMTIME& t, WORD year, WORD month, WORD day, WORD hour, WORD minute,
                    WORD second, WORD millisecond) {
  EXPECT_EQ(t.wYear, year);
  EXPECT_EQ(t.wMonth, month);
  EXPECT_EQ(t.wDay, day);
  EXPECT_EQ(t.wHour, hour);
  EXPECT_EQ(t.wMinute, minute);
  EXPECT_EQ(t.wSecond, second);
  EXPECT_EQ(t.wMilliseconds, millisecond);
}

TEST(VariantTime, KnownDatesBothWays) {
  const struct {
    SYSTEMTIME calendar;
    DATE date;
  } cases[] = {
      {Calendar(1899, 12, 30), 0.0},
      {Calendar(1900, 1, 1), 2.0},
      {Calendar(1899, 12, 30, 6), 0.25},
      {Calendar(1899, 12, 29, 6), -1.25},  // the fraction runs forwards before day 0
      {Calendar(1899, 12, 28, 18), -2.75},
      {Calendar(2024, 3, 5, 12), 45356.5},
      {Calendar(100, 1, 1), -657434.0},
      {Calendar(9999, 12, 31), 2958465.0},
  };
  for (const auto& c : cases) {
    SYSTEMTIME calendar = c.calendar;
    DATE date = 99.0;
    ASSERT_TRUE(SystemTimeToVariantTime(&calendar, &date));
    EXPECT_DOUBLE_EQ(date, c.date);
    SYSTEMTIME back;
    ASSERT_TRUE(VariantTimeToSystemTime(c.date, &back));
    ExpectCalendar(back, c.calendar.wYear, c.calendar.wMonth, c.calendar.wDay, c.calendar.wHour, 0,
                   0, 0);
  }
}

TEST(VariantTime, RoundsToTheNearestSecondAndIgnoresMilliseconds) {
  SYSTEMTIME t;
  ASSERT_TRUE(VariantTimeToSystemTime(1.0 + 1.6 / 86400, &t));
  ExpectCalendar(t, 1899, 12, 31, 0, 0, 2, 0);
  ASSERT_TRUE(VariantTimeToSystemTime(1.0 - 0.4 / 86400, &t));  // rounds into the next day
  ExpectCalendar(t, 1899, 12, 31, 0, 0, 0, 0);
  EXPECT_EQ(t.wDayOfWeek, 0);  // a Sunday

  SYSTEMTIME withMilliseconds = Calendar(2024, 3, 5, 1, 2, 3, 999);
  DATE date = 0;
  ASSERT_TRUE(SystemTimeToVariantTime(&withMilliseconds, &date));
  ASSERT_TRUE(VariantTimeToSystemTime(date, &t));
  ExpectCalendar(t, 2024, 3, 5, 1, 2, 3, 0);
}

TEST(VariantTime, OutOfRangeAndInvalidFieldsFail) {
  SYSTEMTIME t;
  EXPECT_FALSE(VariantTimeToSystemTime(-657435.0, &t));
  EXPECT_FALSE(VariantTimeToSystemTime(2958466.0, &t));
  EXPECT_FALSE(VariantTimeToSystemTime(std::numeric_limits<double>::quiet_NaN(), &t));
  DATE date = 0;
  for (SYSTEMTIME invalid : {Calendar(99, 12, 31), Calendar(2023, 2, 29), Calendar(2024, 0, 1),
                             Calendar(2024, 1, 1, 24), Calendar(10000, 1, 1)}) {
    EXPECT_FALSE(SystemTimeToVariantTime(&invalid, &date));
  }
  SYSTEMTIME leap = Calendar(2024, 2, 29);
  EXPECT_TRUE(SystemTimeToVariantTime(&leap, &date));
}

TEST(FileTime, ConvertsToCalendarTimeWithMilliseconds) {
  // 2024-03-05 14:30:15.250 UTC: 1709649015.25 s after 1970.
  const ULONGLONG ticks = 116444736000000000ull + 17096490152500000ull;
  const FILETIME fileTime = FileTimeFromTicks(ticks);
  SYSTEMTIME t;
  ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &t));
  ExpectCalendar(t, 2024, 3, 5, 14, 30, 15, 250);
  EXPECT_EQ(t.wDayOfWeek, 2);  // a Tuesday
  FILETIME back;
  ASSERT_TRUE(SystemTimeToFileTime(&t, &back));
  EXPECT_EQ(FileTimeTicks(back), ticks);

  const FILETIME invalid = FileTimeFromTicks(0x8000000000000000ull);
  EXPECT_FALSE(FileTimeToSystemTime(&invalid, &t));
}

TEST(FileTime, SystemClockAndCompare) {
  FILETIME before;
  GetSystemTimeAsFileTime(&before);
  const FILETIME later = FileTimeFromTicks(FileTimeTicks(before) + 1);
  EXPECT_EQ(CompareFileTime(&before, &later), -1);
  EXPECT_EQ(CompareFileTime(&later, &before), 1);
  EXPECT_EQ(CompareFileTime(&before, &before), 0);
  SYSTEMTIME now;
  GetSystemTime(&now);
  EXPECT_GE(now.wYear, 2024);
}

}  // namespace

}  // namespace tavrel
