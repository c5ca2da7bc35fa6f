#include "bridge/core/tag_live_value.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
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

// The form of the text of a value of type `vt` in a tag of class `valueClass`: unformed where
// the number the class keeps prints as VariantToText prints the value. Integers up to 32 bits
// are exact in a real, and all but VT_UI4 in a 32-bit integer; a boolean's number is its text.
TextForm TextFormOf(VARTYPE vt, ApiValueType valueClass) {
  if (valueClass == ApiValueType::kText) return TextForm::kKept;
  const bool real = valueClass == ApiValueType::kReal;
  switch (vt) {
    case VT_R4:
    case VT_R8:
      return real ? TextForm::kFixedReal : TextForm::kKept;
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_UI1:
    case VT_UI2:
      if (real) return TextForm::kRealInteger;
      return valueClass == ApiValueType::kInteger ? TextForm::kInteger : TextForm::kKept;
    case VT_UI4:
      return real ? TextForm::kRealInteger : TextForm::kKept;
    case VT_BOOL:
      return real ? TextForm::kRealInteger : TextForm::kInteger;
    default:
      return TextForm::kKept;
  }
}

}  // namespace

std::string LiveValueText(const TagLiveValue& value) {
  switch (value.textForm) {
    case TextForm::kKept:
      break;
    case TextForm::kFixedReal:
      return FixedRealText(value.realValue);
    case TextForm::kRealInteger:
      return std::to_string(static_cast<std::int64_t>(value.realValue));
    case TextForm::kInteger:
      return std::to_string(value.integerValue);
  }
  return value.textValue;
}

TagLiveValue WithTextFormed(TagLiveValue value) {
  if (value.textForm != TextForm::kKept) {
    value.textValue = LiveValueText(value);
    value.textForm = TextForm::kKept;
  }
  return value;
}

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
  TagLiveValue copy;
  {
    WordMutexLock lock(mutex_);
    copy = value_;
  }
  return WithTextFormed(std::move(copy));  // formed after the lock
}

void LiveValueSlot::ApplyValue(const VARIANT& value, WORD quality, const FILETIME& timeStamp,
                               ValuePushSink* push) {
  const TextForm form = TextFormOf(value.vt, ValueClass());
  VariantText converted =
      form == TextForm::kKept ? VariantToText(value) : VariantText{{}, VariantNumber(value)};
  const TypedValue typed = TypedValueOfVariant(value);
  const TagTime time = TagTimeOfFileTime(timeStamp);
  WordMutexLock lock(mutex_);
  value_.badFlag = quality != kGoodQuality ? 1 : 0;
  value_.seconds = time.seconds;
  value_.milliseconds = time.milliseconds;
  ++value_.updateCount;
  value_.textForm = form;
  value_.textValue.swap(converted.text);  // an earlier text is freed after the lock
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
  value_.textForm = TextForm::kKept;
  value_.textValue.swap(newText);
  if (push != nullptr) push->PushTypedValue(value_, typed);
}

}  // namespace tavrel
