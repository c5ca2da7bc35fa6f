// Local file time under a time zone of the test's choosing (TZ), which only the stand-in
// reads: Windows takes the zone from the system's settings. Windows converts with the bias in
// effect now, whatever the date converted; the stand-in uses the offset of the converted
// instant, which gives the wall-clock time people expect for a past value.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>

#include "platform/com/com_api.h"
#include "platform/com/file_time_ticks.h"

namespace tavrel {

namespace {

SYSTEMTIME Calendar(WORD year, WORD month, WORD day, WORD hour) {
  return SYSTEMTIME{year, month, 0, day, hour, 0, 0, 0};
}

// Sets the process's time zone for the length of a test.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) previous_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (previous_.empty()) {
      unsetenv("TZ");
    } else {
      setenv("TZ", previous_.c_str(), 1);
    }
    tzset();
  }

 private:
  std::string previous_;
};

TEST(FileTime, LocalTimeFollowsTheTimeZone) {
  TimeZone china("Asia/Shanghai");
  const FILETIME utc = FileTimeFromTicks(116444736000000000ull);  // 1970-01-01 00:00 UTC
  FILETIME local;
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  SYSTEMTIME t;
  ASSERT_TRUE(FileTimeToSystemTime(&local, &t));
  EXPECT_EQ(t.wYear, 1970);
  EXPECT_EQ(t.wDay, 1);
  EXPECT_EQ(t.wHour, 8);
  FILETIME back;
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
  EXPECT_EQ(FileTimeTicks(back), FileTimeTicks(utc));
}

TEST(FileTime, LocalTimeUsesTheOffsetOfTheConvertedInstant) {
  TimeZone berlin("Europe/Berlin");
  SYSTEMTIME winter = Calendar(2023, 1, 15, 12);
  SYSTEMTIME summer = Calendar(2023, 7, 15, 12);
  for (const auto& [utcCalendar, localHour] : {std::pair{winter, 13}, std::pair{summer, 14}}) {
    FILETIME utc;
    ASSERT_TRUE(SystemTimeToFileTime(&utcCalendar, &utc));
    FILETIME local;
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    SYSTEMTIME t;
    ASSERT_TRUE(FileTimeToSystemTime(&local, &t));
    EXPECT_EQ(t.wHour, localHour);
  }
}

}  // namespace

}  // namespace tavrel
