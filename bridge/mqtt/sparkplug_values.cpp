#include "bridge/mqtt/sparkplug_values.h"

#include <cstdio>
#include <cstring>
#include <variant>

#include "common/code_page.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

using tavrel::sparkplug::Metric;
namespace type = sparkplug_type;

// The scalar type of `vt`, or 0 when it has none of its own.
std::uint32_t ScalarTypeOf(int vt) {
  switch (vt) {
    case VT_I1:
      return type::kInt8;
    case VT_I2:
      return type::kInt16;
    case VT_I4:
      return type::kInt32;
    case VT_I8:
      return type::kInt64;
    case VT_UI1:
      return type::kUInt8;
    case VT_UI2:
      return type::kUInt16;
    case VT_UI4:
      return type::kUInt32;
    case VT_UI8:
      return type::kUInt64;
    case VT_R4:
      return type::kFloat;
    case VT_R8:
      return type::kDouble;
    case VT_BOOL:
      return type::kBoolean;
    case VT_BSTR:
      return type::kString;
    case VT_DATE:
      return type::kDateTime;
    default:
      return 0;
  }
}

// The bytes one element of an array type takes; 0 for the string array.
std::size_t ElementSize(std::uint32_t arrayType) {
  switch (arrayType) {
    case type::kInt8Array:
    case type::kUInt8Array:
      return 1;
    case type::kInt16Array:
    case type::kUInt16Array:
      return 2;
    case type::kInt32Array:
    case type::kUInt32Array:
    case type::kFloatArray:
      return 4;
    case type::kStringArray:
      return 0;
    default:
      return 8;
  }
}

// The two's-complement bits of a typed integer or boolean; none for any other value.
std::optional<std::uint64_t> IntegerBits(const TypedValue& typed) {
  if (const auto* value = std::get_if<std::int64_t>(&typed.value)) {
    return static_cast<std::uint64_t>(*value);
  }
  if (const auto* value = std::get_if<std::uint64_t>(&typed.value)) return *value;
  if (const auto* value = std::get_if<bool>(&typed.value)) return *value ? 1 : 0;
  return std::nullopt;
}

// A typed number as a real; none for any other value.
std::optional<double> RealOf(const TypedValue& typed) {
  if (const auto* value = std::get_if<double>(&typed.value)) return *value;
  if (const auto* value = std::get_if<std::int64_t>(&typed.value)) {
    return static_cast<double>(*value);
  }
  if (const auto* value = std::get_if<std::uint64_t>(&typed.value)) {
    return static_cast<double>(*value);
  }
  return std::nullopt;
}

// A typed date as Sparkplug's unsigned milliseconds; none for any other value and for a moment
// before 1970.
std::optional<std::uint64_t> DateMilliseconds(const TypedValue& typed) {
  const auto* date = std::get_if<TypedDate>(&typed.value);
  if (date == nullptr || date->milliseconds < 0) return std::nullopt;
  return static_cast<std::uint64_t>(date->milliseconds);
}

// Appends `element` packed as an element of `arrayType`; an element that is not of the array's
// kind (no number for a number array, no date for a date array) packs as 0, or as an empty
// string in a string array.
void PackElement(std::uint32_t arrayType, const TypedValue& element, std::string& bytes) {
  const std::size_t size = ElementSize(arrayType);
  if (size == 0) {
    if (const auto* text = std::get_if<std::string>(&element.value)) bytes += AnsiToUtf8(*text);
    bytes += '\0';
    return;
  }
  std::uint64_t bits = 0;
  if (arrayType == type::kFloatArray) {
    const float real = static_cast<float>(RealOf(element).value_or(0));
    std::uint32_t word = 0;
    std::memcpy(&word, &real, sizeof word);
    bits = word;
  } else if (arrayType == type::kDoubleArray) {
    const double real = RealOf(element).value_or(0);
    std::memcpy(&bits, &real, sizeof bits);
  } else if (arrayType == type::kDateTimeArray) {
    bits = DateMilliseconds(element).value_or(0);
  } else {
    bits = IntegerBits(element).value_or(0);
  }
  for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
}

void SetArrayValue(Metric& metric, std::uint32_t arrayType, const TypedValue& typed) {
  std::string& bytes = *metric.mutable_bytes_value();
  bytes.clear();
  if (const auto* elements = std::get_if<TypedArray>(&typed.value)) {
    for (const TypedValue& element : *elements) PackElement(arrayType, element, bytes);
  }
}

}  // namespace

std::uint32_t SparkplugTypeOf(int vt, ApiValueType valueClass) {
  if ((vt & VT_ARRAY) != 0) {
    const std::uint32_t element = ScalarTypeOf(vt & ~VT_ARRAY);
    if (element >= type::kInt8 && element <= type::kDouble) return element - 1 + type::kInt8Array;
    if (element == type::kString) return type::kStringArray;
    if (element == type::kDateTime) return type::kDateTimeArray;
    return type::kString;
  }
  if (const std::uint32_t scalar = ScalarTypeOf(vt); scalar != 0) return scalar;
  switch (valueClass) {
    case ApiValueType::kInteger:
      return type::kInt32;
    case ApiValueType::kBoolean:
      return type::kBoolean;
    case ApiValueType::kText:
      return type::kString;
    case ApiValueType::kReal:
      break;
  }
  return type::kDouble;
}

void SetMetricValue(Metric& metric, int vt, const TagLiveValue& value, const TypedValue& typed) {
  const std::uint32_t dataType = SparkplugTypeOf(vt, value.valueClass);
  metric.set_datatype(dataType);
  if (value.updateCount == 0) {
    metric.set_is_null(true);
    return;
  }
  switch (dataType) {
    case type::kInt8:
    case type::kInt16:
    case type::kInt32:
    case type::kUInt8:
    case type::kUInt16:
      metric.set_int_value(static_cast<std::uint32_t>(value.integerValue));
      return;
    case type::kUInt32:
      metric.set_int_value(static_cast<std::uint32_t>(value.realValue));
      return;
    case type::kInt64:
      metric.set_long_value(IntegerBits(typed).value_or(
          static_cast<std::uint64_t>(static_cast<std::int64_t>(value.realValue))));
      return;
    case type::kUInt64:
      metric.set_long_value(
          IntegerBits(typed).value_or(static_cast<std::uint64_t>(value.realValue)));
      return;
    case type::kFloat:
      metric.set_float_value(static_cast<float>(value.realValue));
      return;
    case type::kDouble:
      metric.set_double_value(value.realValue);
      return;
    case type::kBoolean:
      metric.set_boolean_value(value.integerValue != 0);
      return;
    case type::kString:
      metric.set_string_value(AnsiToUtf8(LiveValueText(value)));
      return;
    case type::kDateTime:
      if (const std::optional<std::uint64_t> milliseconds = DateMilliseconds(typed)) {
        metric.set_long_value(*milliseconds);
      } else {
        metric.set_is_null(true);
      }
      return;
    default:
      SetArrayValue(metric, dataType, typed);
      return;
  }
}

std::optional<std::string> WriteTextOfMetric(const Metric& metric, std::uint32_t tagType) {
  const std::uint32_t dataType = metric.has_datatype() ? metric.datatype() : tagType;
  const bool isSigned = dataType == type::kInt8 || dataType == type::kInt16 ||
                        dataType == type::kInt32 || dataType == type::kInt64;
  char text[64];
  switch (metric.value_case()) {
    case Metric::kIntValue:
      if (isSigned) {
        std::snprintf(text, sizeof text, "%d", static_cast<std::int32_t>(metric.int_value()));
      } else {
        std::snprintf(text, sizeof text, "%u", metric.int_value());
      }
      return text;
    case Metric::kLongValue:
      if (dataType == type::kDateTime) return std::nullopt;
      if (isSigned) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(metric.long_value()));
      } else {
        std::snprintf(text, sizeof text, "%llu",
                      static_cast<unsigned long long>(metric.long_value()));
      }
      return text;
    case Metric::kFloatValue:
      std::snprintf(text, sizeof text, "%.9g", static_cast<double>(metric.float_value()));
      return text;
    case Metric::kDoubleValue:
      std::snprintf(text, sizeof text, "%.17g", metric.double_value());
      return text;
    case Metric::kBooleanValue:
      return metric.boolean_value() ? "1" : "0";
    case Metric::kStringValue:
      return Utf8ToAnsi(metric.string_value());
    default:
      return std::nullopt;
  }
}

}  // namespace tavrel
