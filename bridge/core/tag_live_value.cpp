#include "bridge/core/tag_live_value.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <type_traits>
#include <variant>

#include "bridge/core/typed_value.h"
#include "bridge/core/value_push_sink.h"
#include "bridge/core/variant_text.h"
#include "common/decimal_text.h"
#include "platform/com/file_time_ticks.h"

namespace tavrel {

namespace {

constexpr ULONGLONG kTicksPerSecond = 10'000'000;  // FILETIME counts 100 ns
constexpr ULONGLONG kTicksPerMillisecond = 10'000;
constexpr ULONGLONG kUnixEpochTicks = 116'444'736'000'000'000;  // 1970-01-01 in FILETIME

std::int32_t SaturatedInt32(double number) {
  if (std::isnan(number)) return 0;
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(std::trunc(number), kLowest, kHighest));
}

// Stores `number` in the form of the value's class.
void StoreNumber(TagLiveValue& value, double number) {
  switch (value.valueClass) {
    case ApiValueType::kReal:
      value.realValue = number;
      break;
    case ApiValueType::kInteger:
      value.integerValue = SaturatedInt32(number);
      break;
    case ApiValueType::kBoolean:
      value.integerValue = number != 0 ? 1 : 0;
      break;
    case ApiValueType::kText:
      break;
  }
}

// The number of a value read as text, as the class reads it (typed_value.h); none for a text.
std::optional<double> NumberOf(const TypedValue& typed) {
  return std::visit(
      [](const auto& held) -> std::optional<double> {
        using Held = std::decay_t<decltype(held)>;
        if constexpr (std::is_arithmetic_v<Held>) {
          return static_cast<double>(held);
        } else {
          return std::nullopt;
        }
      },
      typed.value);
}

}  // namespace

TagTime TagTimeOfFileTime(const FILETIME& timeStamp) {
  if (timeStamp.dwLowDateTime == 0 || timeStamp.dwHighDateTime == 0) return {};
  const ULONGLONG ticks = FileTimeTicks(timeStamp);
  if (ticks < kUnixEpochTicks) return {};
  const ULONGLONG seconds = (ticks - kUnixEpochTicks) / kTicksPerSecond;
  if (seconds > std::numeric_limits<std::uint32_t>::max()) return {};
  return {static_cast<std::uint32_t>(seconds),
          static_cast<std::uint16_t>(ticks / kTicksPerMillisecond % 1000)};
}

TagTime TagTimeOfWallTime(WallTime time) {
  if (time.seconds < 0 || time.seconds > std::numeric_limits<std::uint32_t>::max()) return {};
  return {static_cast<std::uint32_t>(time.seconds),
          static_cast<std::uint16_t>(std::clamp(time.milliseconds, 0, 999))};
}

LiveValueSlot::LiveValueSlot(std::int32_t handle, ApiValueType valueClass) {
  value_.handle = handle;
  value_.valueClass = valueClass;
}

TagLiveValue LiveValueSlot::Snapshot() const {
  WordMutexLock lock(mutex_);
  return value_;
}

void LiveValueSlot::ApplyValue(const VARIANT& value, WORD quality, const FILETIME& timeStamp,
                               ValuePushSink* push) {
  VariantText converted = VariantToText(value);
  const TypedValue typed = TypedValueOfVariant(value);
  const TagTime time = TagTimeOfFileTime(timeStamp);
  WordMutexLock lock(mutex_);
  value_.badFlag = quality != kGoodQuality ? 1 : 0;
  value_.seconds = time.seconds;
  value_.milliseconds = time.milliseconds;
  ++value_.updateCount;
  value_.textValue.swap(converted.text);
  if (converted.number) StoreNumber(value_, *converted.number);
  if (push != nullptr) push->PushTypedValue(value_, typed);
}

void LiveValueSlot::ApplyTextValue(std::string_view text, std::string_view quality,
                                   WallTime timeStamp, ValuePushSink* push) {
  std::string newText(text);
  const bool bad = ParseDecimal(quality) != kGoodQuality;
  const TagTime time = TagTimeOfWallTime(timeStamp);
  const TypedValue typed = TypedValueOfText(newText, ValueClass());
  const std::optional<double> number = NumberOf(typed);
  WordMutexLock lock(mutex_);
  value_.badFlag = bad ? 1 : 0;
  if (number) StoreNumber(value_, *number);
  ++value_.updateCount;
  value_.seconds = time.seconds;
  value_.milliseconds = time.milliseconds;
  value_.textValue.swap(newText);
  if (push != nullptr) push->PushTypedValue(value_, typed);
}

}  // namespace tavrel
