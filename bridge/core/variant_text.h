// VariantToText: the text form and the numeric form of a COM value.
//
// Every value the bridge receives is kept twice: as text (replies, logs) and, for
// numeric types, as a number (value pushes). Which number a type gives, and how it is printed,
// follows the variant's own type, not the tag's class:
//
//   VT_I1, VT_I2, VT_I4, VT_UI1, VT_UI2   "%d" of the value                 integer
//   VT_UI4                                "%u"                              real
//   VT_I8, VT_UI8                         the full 64-bit value in decimal  real
//   VT_R4, VT_R8                          "%f" (six decimals)               real
//   VT_BOOL                               "1" when non-zero, else "0"       1 or 0
//   VT_DATE                               "YYYY-MM-DD hh:mm:ss mmm"         none
//   VT_BSTR                               the text in the system code page  none
//   any other type                        "?"                               none
//
// An array (VT_ARRAY) gives the texts of the elements of its first dimension from the lower
// to the upper bound, joined by ", ", and no number. Elements print as the scalars above,
// except reals, which print with "%g"; the elements of a VT_VARIANT array print by the type
// each one holds; elements of any other type print as "?". An array whose own element type is
// not the variant's prints "?" for each element: reading its elements as the variant's type
// could read past them or follow pointers that are none.
//
// A date that the variant-time conversion refuses prints as "0000-00-00 00:00:00 000", the
// stamp of a moment that cannot be shown.
#pragma once

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/com_api.h"

namespace tavrel {

struct VariantText {
  std::string text;
  // The numeric value, for the types that have one. Integers are exact in a double.
  std::optional<double> number;
};

VariantText VariantToText(const VARIANT& value);

// The number of VariantToText alone: that of a scalar of a numeric type, none for any other
// value.
std::optional<double> VariantNumber(const VARIANT& value);

// "%f" of a real, exactly as printf prints it in the C locale: the text of a VT_R8 scalar.
std::string FixedRealText(double value);

// The texts of an array's elements, as VariantToText joins them; none for a value that is no
// array. For those who need the elements apart: a text element may itself hold ", ".
std::vector<std::string> ArrayElementTexts(const VARIANT& value);

// True when the elements of `array` can be read as values of `elementType`: the array's own
// element type is `elementType` and its element size that type's size. False for a null array
// and for the types arrays cannot hold (decimals). Elements of a type that has no text
// (currency, errors, interfaces) read as "?" all the same.
bool ArrayElementsAre(SAFEARRAY* array, VARTYPE elementType);

// Calls `visit(vt, data)` for each element of the array that `value` holds (its first dimension,
// from the lower to the upper bound), `data` pointing to a value of type `vt`. A VT_VARIANT
// element is passed as the value it holds. An element that cannot be read (see above), or a
// VT_VARIANT element holding an array or a reference, is passed as VT_EMPTY with null data.
// False, with nothing visited, when `value` is no array, a reference, or an array whose bounds
// cannot be read. The array stays locked while `visit` runs.
bool VisitArrayElements(const VARIANT& value,
                        const std::function<void(VARTYPE vt, const void* data)>& visit);

// Reads a value of type T stored at `data`, a variant's union or an array element.
template <typename T>
T LoadVariantData(const void* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

}  // namespace tavrel
