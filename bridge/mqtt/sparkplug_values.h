// How a tag's value becomes a Sparkplug metric value, and a commanded metric value the text the
// bridge's write takes.
//
// The data type follows the tag's requested VARTYPE: VT_I1 Int8, VT_I2 Int16, VT_I4 Int32,
// VT_I8 Int64, VT_UI1 UInt8, VT_UI2 UInt16, VT_UI4 UInt32, VT_UI8 UInt64, VT_R4 Float, VT_R8
// Double, VT_BOOL Boolean, VT_BSTR String, VT_DATE DateTime, and arrays of the integers, reals,
// texts and dates the matching array type (packed little-endian in the bytes value, a date as
// its 8-byte milliseconds; a string array as NUL-terminated strings). Any other type goes by the
// tag's value class: a real Double, an integer Int32, a boolean Boolean, a text String; so do
// arrays of booleans and variants, as the String of their text. 64-bit integers, dates and
// array elements are taken from the value's typed form (typed_value.h), which holds all their
// digits; the other scalars from the number of the value's class. Signed integers travel as
// their two's-complement bits; a date before 1970, or a value that is no date, is null; an
// element that is not of the array's kind packs as 0 (an empty string in a string array).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bridge/core/tag_live_value.h"
#include "bridge/core/typed_value.h"
#include "bridge/mqtt/sparkplug_b.pb.h"

namespace tavrel {

namespace sparkplug_type {
inline constexpr std::uint32_t kInt8 = 1;
inline constexpr std::uint32_t kInt16 = 2;
inline constexpr std::uint32_t kInt32 = 3;
inline constexpr std::uint32_t kInt64 = 4;
inline constexpr std::uint32_t kUInt8 = 5;
inline constexpr std::uint32_t kUInt16 = 6;
inline constexpr std::uint32_t kUInt32 = 7;
inline constexpr std::uint32_t kUInt64 = 8;
inline constexpr std::uint32_t kFloat = 9;
inline constexpr std::uint32_t kDouble = 10;
inline constexpr std::uint32_t kBoolean = 11;
inline constexpr std::uint32_t kString = 12;
inline constexpr std::uint32_t kDateTime = 13;
inline constexpr std::uint32_t kText = 14;
inline constexpr std::uint32_t kInt8Array = 22;
inline constexpr std::uint32_t kInt16Array = 23;
inline constexpr std::uint32_t kInt32Array = 24;
inline constexpr std::uint32_t kInt64Array = 25;
inline constexpr std::uint32_t kUInt8Array = 26;
inline constexpr std::uint32_t kUInt16Array = 27;
inline constexpr std::uint32_t kUInt32Array = 28;
inline constexpr std::uint32_t kUInt64Array = 29;
inline constexpr std::uint32_t kFloatArray = 30;
inline constexpr std::uint32_t kDoubleArray = 31;
inline constexpr std::uint32_t kStringArray = 33;
inline constexpr std::uint32_t kDateTimeArray = 34;
}  // namespace sparkplug_type

// The data type of a tag requesting `vt` whose value class is `valueClass`.
std::uint32_t SparkplugTypeOf(int vt, ApiValueType valueClass);

// Sets the data type and the value of `metric` (is_null for a tag that has no value yet) from
// `value` and its typed form `typed`.
void SetMetricValue(tavrel::sparkplug::Metric& metric, int vt, const TagLiveValue& value,
                    const TypedValue& typed);

// The text of a commanded metric value as the bridge's write takes it (system code page), by
// the metric's data type or, without one, by `tagType`; none when the metric has no value the
// bridge can write (a null, an array, a type we do not know).
std::optional<std::string> WriteTextOfMetric(const tavrel::sparkplug::Metric& metric,
                                             std::uint32_t tagType);

}  // namespace tavrel
