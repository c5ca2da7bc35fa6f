// Time stamps in a zone whose local time repeats an hour, set through TZ as POSIX C libraries
// read it (Windows takes its zone from the system, not from TZ).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>

#include "bridge/core/tag_live_value.h"
#include "bridge/core/test_variant.h"

namespace tavrel {

namespace {

TEST(LiveValueSlot, TimeStampIsUtcSecondsInTheHourLocalTimeRepeats) {
  // The hour that local time repeats when summer time ends: a conversion through local
  // calendar time cannot tell its halves apart.
  const char* zone = getenv("TZ");
  const std::string previousZone = zone != nullptr ? zone : "";
  setenv("TZ", "Europe/Berlin", 1);
  tzset();
  LiveValueSlot slot(0, ApiValueType::kReal);
  for (const std::int64_t seconds : {1'729'989'000LL, 1'729'992'600LL}) {
    const OwnedVariant value = ScalarVariant(VT_I4, 1);
    slot.ApplyValue(value.Get(), kGoodQuality, FileTimeOfUnix(seconds, 999), nullptr);
    EXPECT_EQ(slot.Snapshot().seconds, seconds);
    EXPECT_EQ(slot.Snapshot().milliseconds, 999u);
  }
  zone != nullptr ? setenv("TZ", previousZone.c_str(), 1) : unsetenv("TZ");
  tzset();
}

}  // namespace

}  // namespace tavrel
