#include "bridge/core/tag_live_value.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <latch>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bridge/core/test_variant.h"
#include "bridge/core/value_push_sink.h"
#include "bridge/core/variant_text.h"

namespace tavrel {

namespace {

const FILETIME kSomeTime = FileTimeOfUnix(1'700'000'000, 123);

template <typename T>
void Apply(LiveValueSlot& slot, VARTYPE vt, T value, WORD quality = kGoodQuality,
           const FILETIME& time = kSomeTime) {
  const OwnedVariant variant = ScalarVariant(vt, value);
  slot.ApplyValue(variant.Get(), quality, time, nullptr);
}

TEST(LiveValueSlot, BadFlagIsClearOnlyForQualityExactly192AndEveryUpdateCounts) {
  LiveValueSlot slot(4, ApiValueType::kInteger);
  EXPECT_EQ(slot.Snapshot().updateCount, 0u);
  for (const WORD quality : {0, 64, 193, 195, 216}) {  // bad, uncertain, good with limits
    Apply(slot, VT_I4, 1, quality);
    EXPECT_EQ(slot.Snapshot().badFlag, 1u) << quality;
    Apply(slot, VT_I4, 1, 192);
    EXPECT_EQ(slot.Snapshot().badFlag, 0u);
  }
  for (const char* quality : {"216", "0", "", "good"}) {
    slot.ApplyTextValue("1", quality, WallTime{}, nullptr);
    EXPECT_EQ(slot.Snapshot().badFlag, 1u) << quality;
    slot.ApplyTextValue("1", " 192", WallTime{}, nullptr);
    EXPECT_EQ(slot.Snapshot().badFlag, 0u);
  }
  EXPECT_EQ(slot.Snapshot().updateCount, 18u);
  EXPECT_EQ(slot.Snapshot().handle, 4);
}

TEST(LiveValueSlot, TimeStampIsUtcSecondsOrZeroWhenItCannotBeHeld) {
  LiveValueSlot slot(0, ApiValueType::kReal);
  for (const std::int64_t seconds : {1'729'989'000LL, 1'729'992'600LL, 4'294'967'295LL}) {
    Apply(slot, VT_I4, 1, kGoodQuality, FileTimeOfUnix(seconds, 999));
    EXPECT_EQ(slot.Snapshot().seconds, seconds);
    EXPECT_EQ(slot.Snapshot().milliseconds, 999u);
  }

  // A zero half, a time before 1970 or beyond the 32-bit seconds: time 0, the update counts.
  const FILETIME unusable[] = {{0, 0},
                               {0, kSomeTime.dwHighDateTime},
                               {12345, 0},
                               FileTimeOfUnix(-1),
                               FileTimeOfUnix(std::int64_t{1} << 32),
                               {0xFFFFFFFF, 0xFFFFFFFF}};
  const std::uint32_t counted = slot.Snapshot().updateCount;
  for (const FILETIME& stamp : unusable) {
    Apply(slot, VT_I4, 6, kGoodQuality, stamp);
    EXPECT_EQ(slot.Snapshot().seconds, 0u);
    EXPECT_EQ(slot.Snapshot().milliseconds, 0u);
  }
  EXPECT_EQ(slot.Snapshot().updateCount, counted + std::size(unusable));

  slot.ApplyTextValue("1", "192", WallTime{1'700'000'000, 1500}, nullptr);
  EXPECT_EQ(slot.Snapshot().seconds, 1'700'000'000u);
  EXPECT_EQ(slot.Snapshot().milliseconds, 999u);
}

TEST(LiveValueSlot, NumberTakesTheFormOfTheTagsClassOnEveryPath) {
  LiveValueSlot boolean(0, ApiValueType::kBoolean);
  const auto heldBy = [&](auto apply) {
    apply();
    return boolean.Snapshot().integerValue;
  };
  EXPECT_EQ(heldBy([&] { Apply(boolean, VT_BOOL, VARIANT_TRUE); }), 1);
  EXPECT_EQ(heldBy([&] { Apply(boolean, VT_BOOL, VARIANT_FALSE); }), 0);
  EXPECT_EQ(heldBy([&] { Apply(boolean, VT_I4, -5); }), 1);
  EXPECT_EQ(heldBy([&] { boolean.ApplyTextValue("-1", "192", {}, nullptr); }), 1);
  EXPECT_EQ(heldBy([&] { boolean.ApplyTextValue("0", "192", {}, nullptr); }), 0);

  LiveValueSlot integer(1, ApiValueType::kInteger);
  for (const auto& [number, held] : {std::pair{12.7, 12}, std::pair{-12.7, -12},
                                     std::pair{1e12, std::numeric_limits<int>::max()},
                                     std::pair{-1e12, std::numeric_limits<int>::min()}}) {
    Apply(integer, VT_R8, number);
    EXPECT_EQ(integer.Snapshot().integerValue, held) << number;
  }
  integer.ApplyTextValue("42.9", "192", {}, nullptr);
  EXPECT_EQ(integer.Snapshot().integerValue, 42);

  LiveValueSlot real(2, ApiValueType::kReal);
  Apply(real, VT_I4, -7);
  EXPECT_EQ(real.Snapshot().realValue, -7.0);
  Apply(real, VT_CY, LONGLONG{10000});  // no number: the last one stays
  EXPECT_EQ(real.Snapshot().textValue, "?");
  EXPECT_EQ(real.Snapshot().realValue, -7.0);
  real.ApplyTextValue(" 12.5kg", "192", {}, nullptr);
  EXPECT_EQ(real.Snapshot().realValue, 12.5);
  EXPECT_EQ(real.Snapshot().textValue, " 12.5kg");

  LiveValueSlot text(3, ApiValueType::kText);
  Apply(text, VT_R8, 2.5);
  EXPECT_EQ(text.Snapshot().textValue, "2.500000");
  EXPECT_EQ(text.Snapshot().realValue, 0.0);
}

// Whatever form a value's text takes in the slot, a Snapshot and a push read the text that
// VariantToText gives the value. Each class takes every value in turn, so that each form
// follows each other one.
TEST(LiveValueSlot, TextIsTheVariantsOwnInEveryClassWhateverItsForm) {
  class LastText : public ValuePushSink {
   public:
    void PushValue(const TagLiveValue& value) override { text = LiveValueText(value); }
    std::string text;
  };
  std::vector<OwnedVariant> values;
  for (const double real : {0.5, -0.0, 123456.789, -2.5e-7, 1e300, 0x1p53, HUGE_VAL,
                            std::numeric_limits<double>::quiet_NaN()}) {
    values.push_back(ScalarVariant(VT_R8, real));
  }
  values.push_back(ScalarVariant(VT_R4, 3.14159f));
  values.push_back(ScalarVariant(VT_I1, static_cast<signed char>(-128)));
  values.push_back(ScalarVariant(VT_I2, SHORT{-32768}));
  values.push_back(ScalarVariant(VT_I4, std::numeric_limits<LONG>::min()));
  values.push_back(ScalarVariant(VT_I4, std::numeric_limits<LONG>::max()));
  values.push_back(ScalarVariant(VT_UI1, BYTE{255}));
  values.push_back(ScalarVariant(VT_UI2, USHORT{65535}));
  values.push_back(ScalarVariant(VT_UI4, ULONG{4294967295}));
  values.push_back(ScalarVariant(VT_I8, LONGLONG{-9007199254740993}));
  values.push_back(ScalarVariant(VT_UI8, ULONGLONG{18446744073709551615u}));
  values.push_back(ScalarVariant(VT_BOOL, VARIANT_TRUE));
  values.push_back(ScalarVariant(VT_BOOL, VARIANT_FALSE));
  values.push_back(ScalarVariant(VT_CY, LONGLONG{10000}));
  values.push_back(OwnedVariant::FromText(OLESTR("a text longer than fifteen bytes")));

  for (const ApiValueType valueClass :
       {ApiValueType::kReal, ApiValueType::kInteger, ApiValueType::kBoolean, ApiValueType::kText}) {
    LiveValueSlot slot(0, valueClass);
    LastText pushed;
    for (const OwnedVariant& value : values) {
      const std::string expected = VariantToText(value.Get()).text;
      slot.ApplyValue(value.Get(), kGoodQuality, kSomeTime, &pushed);
      EXPECT_EQ(slot.Snapshot().textValue, expected)
          << "class " << static_cast<int>(valueClass) << ", type " << value.Get().vt;
      EXPECT_EQ(pushed.text, expected)
          << "class " << static_cast<int>(valueClass) << ", type " << value.Get().vt;
    }
  }
}

// Checks that pushes arrive with update counts 1, 2, 3, ..., each with its own value.
class OrderCheckingSink : public ValuePushSink {
 public:
  void PushValue(const TagLiveValue& value) override {
    std::lock_guard lock(mutex_);
    if (value.updateCount != lastCount_ + 1 || LiveValueText(value).empty()) faults_++;
    lastCount_ = value.updateCount;
  }
  int Faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
  }

 private:
  mutable std::mutex mutex_;
  std::uint32_t lastCount_ = 0;
  int faults_ = 0;
};

TEST(LiveValueSlot, ConcurrentWritersAndReadersSeeWholeValuesAndPushesKeepTheirOrder) {
  constexpr int kWriters = 2;
  constexpr int kReaders = 2;
  constexpr int kUpdatesPerWriter = 20000;
  constexpr std::int64_t kFirstSecond = 1'000'000'000;
  LiveValueSlot slot(0, ApiValueType::kReal);
  OrderCheckingSink sink;
  std::atomic<int> writersLeft{kWriters};
  std::atomic<int> faults{0};
  std::latch start(kWriters + kReaders);

  std::vector<std::thread> threads;
  for (int writer = 0; writer < kWriters; ++writer) {
    threads.emplace_back([&, writer] {
      start.arrive_and_wait();
      for (int i = 0; i < kUpdatesPerWriter; ++i) {
        // Everything of an update follows from its serial number. Its text takes turns: left
        // unformed ("%f" of a real), and kept (a 64-bit integer, too long for the string's
        // inline buffer, so on the heap).
        const int serial = writer * kUpdatesPerWriter + i;
        const OwnedVariant value =
            serial % 2 == 0 ? ScalarVariant(VT_R8, 1e12 * (serial + 1) + 0.5)
                            : ScalarVariant(VT_I8, LONGLONG{100'000'000'000} * (serial + 1));
        slot.ApplyValue(value.Get(), serial % 2 == 0 ? kGoodQuality : WORD{0},
                        FileTimeOfUnix(kFirstSecond + serial, serial % 1000), &sink);
      }
      --writersLeft;
    });
  }
  for (int reader = 0; reader < kReaders; ++reader) {
    threads.emplace_back([&] {
      start.arrive_and_wait();
      std::uint32_t lastCount = 0;
      while (writersLeft.load() > 0) {
        const TagLiveValue value = slot.Snapshot();
        if (value.updateCount < lastCount) ++faults;
        lastCount = value.updateCount;
        if (value.updateCount == 0) continue;
        const std::int64_t serial = value.seconds - kFirstSecond;
        const double expected = serial % 2 == 0 ? 1e12 * static_cast<double>(serial + 1) + 0.5
                                                : 1e11 * static_cast<double>(serial + 1);
        if (std::strtod(value.textValue.c_str(), nullptr) != value.realValue ||
            value.realValue != expected || value.milliseconds != serial % 1000 ||
            value.badFlag != serial % 2) {
          ++faults;
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(faults.load(), 0);
  EXPECT_EQ(sink.Faults(), 0);
  EXPECT_EQ(slot.Snapshot().updateCount, static_cast<std::uint32_t>(kWriters * kUpdatesPerWriter));
}

}  // namespace

}  // namespace tavrel
