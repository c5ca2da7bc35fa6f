#include "bridge/core/tag_live_value.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bridge/core/test_variant.h"
#include "bridge/core/value_push_sink.h"

namespace {

constexpr ULONGLONG kUnixEpochTicks = 116'444'736'000'000'000;

FILETIME FileTimeOfUnix(std::int64_t seconds, int milliseconds) {
  return FileTimeFromTicks(kUnixEpochTicks + static_cast<ULONGLONG>(seconds) * 10'000'000 +
                           static_cast<ULONGLONG>(milliseconds) * 10'000);
}

const FILETIME kSomeTime = FileTimeOfUnix(1'700'000'000, 123);

void ApplyInteger(LiveValueSlot& slot, LONG number, WORD quality = kGoodQuality,
                  const FILETIME& time = kSomeTime) {
  TestVariant value;
  SetScalar(value, VT_I4, &VARIANT::lVal, number);
  slot.ApplyValue(*value, quality, time, nullptr);
}

// The process's time zone for one test.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* current = getenv("TZ")) previous_ = current;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (previous_) {
      setenv("TZ", previous_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::optional<std::string> previous_;
};

// Keeps a copy of every pushed value.
class RecordingSink : public ValuePushSink {
 public:
  void PushValue(const TagLiveValue& value) override {
    std::lock_guard lock(mutex_);
    pushed_.push_back(value);
  }
  std::vector<TagLiveValue> Pushed() const {
    std::lock_guard lock(mutex_);
    return pushed_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<TagLiveValue> pushed_;
};

TEST(LiveValueSlot, BadFlagIsClearOnlyForQualityExactly192) {
  LiveValueSlot slot(4, ApiValueType::kInteger);
  const TagLiveValue initial = slot.Snapshot();
  EXPECT_EQ(initial.handle, 4);
  EXPECT_EQ(initial.valueClass, ApiValueType::kInteger);
  EXPECT_EQ(initial.updateCount, 0u);
  EXPECT_EQ(initial.badFlag, 0u);

  for (const WORD quality : {0, 64, 193, 195, 216}) {
    SCOPED_TRACE(quality);
    ApplyInteger(slot, 1, quality);
    EXPECT_EQ(slot.Snapshot().badFlag, 1u);  // bad, uncertain, good with limit bits: all bad
    ApplyInteger(slot, 1, 192);
    EXPECT_EQ(slot.Snapshot().badFlag, 0u);
  }
  for (const char* quality : {"216", "0", "", "good", "193"}) {
    SCOPED_TRACE(quality);
    slot.ApplyTextValue("1", quality, WallTime{}, nullptr);
    EXPECT_EQ(slot.Snapshot().badFlag, 1u);
    slot.ApplyTextValue("1", " 192", WallTime{}, nullptr);
    EXPECT_EQ(slot.Snapshot().badFlag, 0u);
  }
}

TEST(LiveValueSlot, TimeStampWithAZeroHalfGivesTimeZeroButStillCounts) {
  LiveValueSlot slot(0, ApiValueType::kInteger);
  ApplyInteger(slot, 5);
  ASSERT_NE(slot.Snapshot().seconds, 0u);

  const FILETIME zeroStamps[] = {{0, 0}, {0, kSomeTime.dwHighDateTime}, {12345, 0}};
  for (const FILETIME& stamp : zeroStamps) {
    ApplyInteger(slot, 6, kGoodQuality, stamp);
    const TagLiveValue value = slot.Snapshot();
    EXPECT_EQ(value.seconds, 0u);
    EXPECT_EQ(value.milliseconds, 0u);
    EXPECT_EQ(value.integerValue, 6);
  }
  EXPECT_EQ(slot.Snapshot().updateCount, 4u);
}

TEST(LiveValueSlot, TimeStampIsSecondsSince1970InUtcWithMilliseconds) {
  // The hour that local time repeats when daylight saving time ends: a conversion that goes
  // through local calendar time cannot tell its two halves apart.
  const ScopedTimeZone berlin("Europe/Berlin");
  const std::int64_t summerHalf = 1'729'989'000;      // 2024-10-27 00:30:00 UTC, 02:30 summer time
  const std::int64_t winterHalf = summerHalf + 3600;  // 01:30 UTC, 02:30 winter time
  LiveValueSlot slot(0, ApiValueType::kReal);
  for (const std::int64_t seconds : {summerHalf, winterHalf, std::int64_t{1}}) {
    ApplyInteger(slot, 1, kGoodQuality, FileTimeOfUnix(seconds, 999));
    const TagLiveValue value = slot.Snapshot();
    EXPECT_EQ(value.seconds, static_cast<std::uint32_t>(seconds));
    EXPECT_EQ(value.milliseconds, 999u);
  }
}

TEST(LiveValueSlot, TimeStampsThe32BitSecondsCannotHoldGiveZero) {
  LiveValueSlot slot(0, ApiValueType::kReal);
  const FILETIME before1970 = FileTimeFromTicks(kUnixEpochTicks - 10'000'000);
  const FILETIME after2106 = FileTimeOfUnix(std::int64_t{1} << 32, 5);
  const FILETIME last = FileTimeOfUnix(std::numeric_limits<std::uint32_t>::max(), 5);
  const FILETIME beyondFileTimes = {0xFFFFFFFF, 0xFFFFFFFF};
  for (const FILETIME& stamp : {before1970, after2106, beyondFileTimes}) {
    ApplyInteger(slot, 1, kGoodQuality, stamp);
    EXPECT_EQ(slot.Snapshot().seconds, 0u);
    EXPECT_EQ(slot.Snapshot().milliseconds, 0u);
  }
  ApplyInteger(slot, 1, kGoodQuality, last);
  EXPECT_EQ(slot.Snapshot().seconds, std::numeric_limits<std::uint32_t>::max());
  EXPECT_EQ(slot.Snapshot().milliseconds, 5u);

  slot.ApplyTextValue("1", "192", WallTime{-1, 500}, nullptr);
  EXPECT_EQ(slot.Snapshot().seconds, 0u);
  slot.ApplyTextValue("1", "192", WallTime{1'700'000'000, 1500}, nullptr);
  EXPECT_EQ(slot.Snapshot().seconds, 1'700'000'000u);
  EXPECT_EQ(slot.Snapshot().milliseconds, 999u);
}

TEST(LiveValueSlot, BooleanTagHoldsOneOrZeroWhicheverPathSetIt) {
  LiveValueSlot slot(0, ApiValueType::kBoolean);
  const auto applyBoolean = [&](VARIANT_BOOL flag) {
    TestVariant value;
    SetScalar(value, VT_BOOL, &VARIANT::boolVal, flag);
    slot.ApplyValue(*value, kGoodQuality, kSomeTime, nullptr);
  };
  applyBoolean(VARIANT_TRUE);
  EXPECT_EQ(slot.Snapshot().integerValue, 1);
  EXPECT_EQ(slot.Snapshot().textValue, "1");
  applyBoolean(VARIANT_FALSE);
  EXPECT_EQ(slot.Snapshot().integerValue, 0);

  ApplyInteger(slot, -5);  // a server that answers with another type
  EXPECT_EQ(slot.Snapshot().integerValue, 1);

  struct Row {
    const char* text;
    int held;
  };
  for (const Row row : {Row{"1", 1}, Row{"0", 0}, Row{"-1", 1}, Row{"2", 1}, Row{"true", 0}}) {
    SCOPED_TRACE(row.text);
    slot.ApplyTextValue(row.text, "192", WallTime{}, nullptr);
    EXPECT_EQ(slot.Snapshot().integerValue, row.held);
    EXPECT_EQ(slot.Snapshot().textValue, row.text);
  }
}

TEST(LiveValueSlot, NumberTakesTheFormOfTheTagsClass) {
  LiveValueSlot real(0, ApiValueType::kReal);
  ApplyInteger(real, -7);
  EXPECT_EQ(real.Snapshot().realValue, -7.0);
  EXPECT_EQ(real.Snapshot().textValue, "-7");

  LiveValueSlot integer(1, ApiValueType::kInteger);
  for (const auto& [number, held] :
       {std::pair{12.7, 12}, std::pair{-12.7, -12}, std::pair{1e12, 2147483647},
        std::pair{-1e12, -2147483647 - 1}, std::pair{std::nan(""), 0}}) {
    TestVariant value;
    SetScalar(value, VT_R8, &VARIANT::dblVal, number);
    integer.ApplyValue(*value, kGoodQuality, kSomeTime, nullptr);
    EXPECT_EQ(integer.Snapshot().integerValue, held) << number;
  }

  LiveValueSlot text(2, ApiValueType::kText);
  TestVariant reading;
  SetScalar(reading, VT_R8, &VARIANT::dblVal, 2.5);
  text.ApplyValue(*reading, kGoodQuality, kSomeTime, nullptr);
  EXPECT_EQ(text.Snapshot().textValue, "2.500000");
  EXPECT_EQ(text.Snapshot().realValue, 0.0);
  EXPECT_EQ(text.Snapshot().integerValue, 0);
}

TEST(LiveValueSlot, ValueWithoutNumberKeepsTheLastNumber) {
  LiveValueSlot slot(0, ApiValueType::kReal);
  TestVariant reading;
  SetScalar(reading, VT_R8, &VARIANT::dblVal, 3.5);
  slot.ApplyValue(*reading, kGoodQuality, kSomeTime, nullptr);
  TestVariant currency;
  SetScalar(currency, VT_CY, &VARIANT::llVal, LONGLONG{10000});
  slot.ApplyValue(*currency, kGoodQuality, kSomeTime, nullptr);
  const TagLiveValue value = slot.Snapshot();
  EXPECT_EQ(value.textValue, "?");
  EXPECT_EQ(value.realValue, 3.5);
  EXPECT_EQ(value.updateCount, 2u);
}

TEST(LiveValueSlot, TextValueIsReadByTheTagsClass) {
  LiveValueSlot real(0, ApiValueType::kReal);
  real.ApplyTextValue(" 12.5kg", "192", WallTime{1'700'000'000, 42}, nullptr);
  TagLiveValue value = real.Snapshot();
  EXPECT_EQ(value.realValue, 12.5);
  EXPECT_EQ(value.textValue, " 12.5kg");
  EXPECT_EQ(value.seconds, 1'700'000'000u);
  EXPECT_EQ(value.milliseconds, 42u);
  EXPECT_EQ(value.updateCount, 1u);

  LiveValueSlot integer(1, ApiValueType::kInteger);
  integer.ApplyTextValue("42.9", "192", WallTime{}, nullptr);
  EXPECT_EQ(integer.Snapshot().integerValue, 42);
  integer.ApplyTextValue("abc", "192", WallTime{}, nullptr);
  EXPECT_EQ(integer.Snapshot().integerValue, 0);

  LiveValueSlot text(2, ApiValueType::kText);
  text.ApplyTextValue("2024-01-01 00:00:00 000", "192", WallTime{}, nullptr);
  EXPECT_EQ(text.Snapshot().textValue, "2024-01-01 00:00:00 000");
}

TEST(LiveValueSlot, EveryUpdateIsPushedInOrder) {
  LiveValueSlot slot(9, ApiValueType::kInteger);
  RecordingSink sink;
  TestVariant value;
  SetScalar(value, VT_I4, &VARIANT::lVal, 11);
  slot.ApplyValue(*value, 216, kSomeTime, &sink);
  slot.ApplyTextValue("12", "192", WallTime{5, 6}, &sink);
  ApplyInteger(slot, 13);  // no sink: applied, not pushed

  const std::vector<TagLiveValue> pushed = sink.Pushed();
  ASSERT_EQ(pushed.size(), 2u);
  EXPECT_EQ(pushed[0].handle, 9);
  EXPECT_EQ(pushed[0].integerValue, 11);
  EXPECT_EQ(pushed[0].badFlag, 1u);
  EXPECT_EQ(pushed[0].updateCount, 1u);
  EXPECT_EQ(pushed[1].textValue, "12");
  EXPECT_EQ(pushed[1].seconds, 5u);
  EXPECT_EQ(pushed[1].updateCount, 2u);
  EXPECT_EQ(slot.Snapshot().updateCount, 3u);
}

// Pushes must arrive with counts 1, 2, 3, ... even when writers race.
class OrderCheckingSink : public ValuePushSink {
 public:
  void PushValue(const TagLiveValue& value) override {
    std::lock_guard lock(mutex_);
    if (value.updateCount != lastCount_ + 1) outOfOrder_ = true;
    lastCount_ = value.updateCount;
  }
  bool InOrder() const {
    std::lock_guard lock(mutex_);
    return !outOfOrder_;
  }

 private:
  mutable std::mutex mutex_;
  std::uint32_t lastCount_ = 0;
  bool outOfOrder_ = false;
};

TEST(LiveValueSlot, ConcurrentWritersAndReadersSeeWholeValues) {
  constexpr int kWriters = 2;
  constexpr int kReaders = 2;
  constexpr int kUpdatesPerWriter = 3000;
  constexpr std::int64_t kFirstSecond = 1'000'000'000;
  LiveValueSlot slot(0, ApiValueType::kReal);
  OrderCheckingSink sink;
  std::atomic<int> writersLeft{kWriters};
  std::atomic<int> tornSnapshots{0};
  std::atomic<int> countsGoingBack{0};

  std::vector<std::thread> threads;
  for (int writer = 0; writer < kWriters; ++writer) {
    threads.emplace_back([&, writer] {
      for (int i = 0; i < kUpdatesPerWriter; ++i) {
        // Each update is told apart by its number; its text is long enough to live on the
        // heap, its quality and time follow from the number.
        const int serial = writer * kUpdatesPerWriter + i;
        TestVariant value;
        SetScalar(value, VT_R8, &VARIANT::dblVal, 1e12 * (serial + 1) + 0.5);
        slot.ApplyValue(*value, serial % 2 == 0 ? kGoodQuality : WORD{0},
                        FileTimeOfUnix(kFirstSecond + serial, serial % 1000), &sink);
      }
      --writersLeft;
    });
  }
  for (int reader = 0; reader < kReaders; ++reader) {
    threads.emplace_back([&] {
      std::uint32_t lastCount = 0;
      while (writersLeft.load() > 0) {
        const TagLiveValue value = slot.Snapshot();
        if (value.updateCount < lastCount) ++countsGoingBack;
        lastCount = value.updateCount;
        if (value.updateCount == 0) continue;
        const std::int64_t serial = value.seconds - kFirstSecond;
        const bool whole = std::strtod(value.textValue.c_str(), nullptr) == value.realValue &&
                           value.realValue == 1e12 * static_cast<double>(serial + 1) + 0.5 &&
                           value.milliseconds == serial % 1000 && value.badFlag == serial % 2;
        if (!whole) ++tornSnapshots;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(tornSnapshots.load(), 0);
  EXPECT_EQ(countsGoingBack.load(), 0);
  EXPECT_TRUE(sink.InOrder());
  EXPECT_EQ(slot.Snapshot().updateCount, static_cast<std::uint32_t>(kWriters * kUpdatesPerWriter));
}

}  // namespace
