// TypedValue: a tag's value in the type it arrived in, built once when the value is applied,
// beside the text the API needs (variant_text.h), for the front ends that publish values by
// type (MQTT). Front ends read it and never read numbers or dates back out of the text.
//
// From a server's VARIANT, by the variant's own type (not the tag's requested type):
//
//   VT_I1, VT_I2, VT_I4, VT_I8            std::int64_t
//   VT_UI1, VT_UI2, VT_UI4, VT_UI8        std::uint64_t
//   VT_R4, VT_R8                          double (a real of VT_R4 exactly as the float holds it)
//   VT_BOOL                               bool, true for any non-zero value
//   VT_DATE                               TypedDate, the moment the date's text shows, in UTC
//   VT_BSTR                               std::string, the text in the system code page (GBK)
//   VT_ARRAY of any of these              TypedArray, the elements of the first dimension from
//                                         the lower to the upper bound
//   anything else                         std::monostate: no value (VT_EMPTY, VT_CY,
//                                         VT_DECIMAL, VT_INT, by-reference values ...)
//
// Exactly where the text shows "?" the typed value is none: an element of an array that cannot
// be read as the array's type, and a VT_VARIANT element that holds an array or a reference.
// A VT_VARIANT array's elements each take the type they hold. A date that the variant-time
// conversion refuses is none (its text is the "0000-00-00 00:00:00 000" stamp). An array that
// is null or whose bounds cannot be read is an empty array (its text is empty).
//
// A scalar number, boolean or date is built without allocating; only texts and arrays take
// memory, so building one per applied value stays cheap on the hot path.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "bridge/core/api_value_type.h"
#include "platform/com/com_api.h"

namespace tavrel {

// A moment: milliseconds since 1970-01-01 00:00 UTC, negative before.
struct TypedDate {
  std::int64_t milliseconds = 0;
  friend bool operator==(const TypedDate&, const TypedDate&) = default;
};

struct TypedValue;
// The elements of an array value; an element is never itself an array.
using TypedArray = std::vector<TypedValue>;

struct TypedValue {
  std::variant<std::monostate, std::int64_t, std::uint64_t, double, bool, TypedDate, std::string,
               TypedArray>
      value;
  friend bool operator==(const TypedValue&, const TypedValue&) = default;
};

TypedValue TypedValueOfVariant(const VARIANT& value);

// A value that arrived as text (item properties), read as the tag's class reads it: a text for
// class 4; for class 1 a whole decimal integer (all of `text`, which keeps 64-bit integers
// exact) or else the C atof real; a decimal integer by the atoi rules for class 2; true for a
// non-zero such integer for class 3.
TypedValue TypedValueOfText(std::string_view text, ApiValueType valueClass);

// The moment of a variant time, as the text shows it (to the second: the conversion rounds to
// whole seconds); none for a date outside the valid days (variant_date.h) and when the
// conversion refuses it.
std::optional<TypedDate> TypedDateOfVariantTime(DATE date);

// The text of a date as the bridge shows dates: "YYYY-MM-DD hh:mm:ss mmm".
std::string TypedDateText(TypedDate date);

}  // namespace tavrel
