#include "bridge/core/variant_text.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "common/code_page.h"
#include "platform/com/safearray.h"
#include "platform/com/variant_time.h"
#include "platform/com/wide_string.h"

namespace {

enum class RealFormat {
  kFixed,    // "%f": scalar values
  kShortest  // "%g": array elements
};

// The decimal text of an integer, as printf's "%d", "%u", "%lld" and "%llu" print it.
template <typename Integer>
std::string IntegerText(Integer value) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

// "%f" or "%g" of a real. std::to_chars with a precision prints exactly what printf prints
// for the same conversion in the C locale, several times faster; values update a million
// times a second here. "%f" of the largest double takes 316 characters.
std::string RealText(double value, RealFormat format) {
  char buffer[320];
  const auto end =
      std::to_chars(
          buffer, buffer + sizeof buffer, value,
          format == RealFormat::kFixed ? std::chars_format::fixed : std::chars_format::general, 6)
          .ptr;
  return std::string(buffer, end);
}

// Reads a value of type T stored at `data`, a variant's union or an array element.
template <typename T>
T Load(const void* data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  return value;
}

std::string DateText(DATE date) {
  SYSTEMTIME time{};
  if (!VariantTimeToSystemTime(date, &time)) return "0000-00-00 00:00:00 000";
  char text[64];  // room for any WORD fields
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d %03d", time.wYear, time.wMonth,
                time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
  return text;
}

// The text of a value of type `vt` (without the array or reference bits) stored at `data`.
std::string ValueText(VARTYPE vt, const void* data, RealFormat realFormat) {
  switch (vt) {
    case VT_I1:
      return IntegerText(Load<signed char>(data));
    case VT_I2:
      return IntegerText(Load<SHORT>(data));
    case VT_I4:
      return IntegerText(Load<LONG>(data));
    case VT_UI1:
      return IntegerText(Load<BYTE>(data));
    case VT_UI2:
      return IntegerText(Load<USHORT>(data));
    case VT_UI4:
      return IntegerText(Load<ULONG>(data));
    case VT_I8:
      return IntegerText(Load<LONGLONG>(data));
    case VT_UI8:
      return IntegerText(Load<ULONGLONG>(data));
    case VT_R4:
      return RealText(Load<FLOAT>(data), realFormat);
    case VT_R8:
      return RealText(Load<DOUBLE>(data), realFormat);
    case VT_BOOL:
      return Load<VARIANT_BOOL>(data) != 0 ? "1" : "0";
    case VT_DATE:
      return DateText(Load<DATE>(data));
    case VT_BSTR:
      return WideToAnsi(BstrView(Load<BSTR>(data)));
    default:
      return "?";
  }
}

std::string ElementText(VARTYPE vt, const void* element) {
  if (vt != VT_VARIANT) return ValueText(vt, element, RealFormat::kShortest);
  const auto* held = static_cast<const VARIANT*>(element);
  if ((held->vt & (VT_ARRAY | VT_BYREF)) != 0) return "?";
  return ValueText(held->vt, &held->llVal, RealFormat::kShortest);
}

std::string ArrayText(const VARIANT& value) {
  const std::vector<std::string> elements = ArrayElementTexts(value);
  std::string text;
  for (std::size_t index = 0; index < elements.size(); ++index) {
    if (index != 0) text += ", ";
    text += elements[index];
  }
  return text;
}

std::optional<double> ScalarNumber(const VARIANT& value) {
  switch (value.vt) {
    case VT_I1:
      return static_cast<signed char>(value.cVal);
    case VT_I2:
      return value.iVal;
    case VT_I4:
      return value.lVal;
    case VT_UI1:
      return value.bVal;
    case VT_UI2:
      return value.uiVal;
    case VT_UI4:
      return value.ulVal;
    case VT_I8:
      return static_cast<double>(value.llVal);
    case VT_UI8:
      return static_cast<double>(value.ullVal);
    case VT_R4:
      return value.fltVal;
    case VT_R8:
      return value.dblVal;
    case VT_BOOL:
      return value.boolVal != 0 ? 1 : 0;
    default:
      return std::nullopt;
  }
}

}  // namespace

bool ArrayElementsAre(SAFEARRAY* array, VARTYPE elementType) {
  const size_t size = SafeArrayElementSizeOf(elementType);
  VARTYPE stored = VT_EMPTY;
  return array != nullptr && size != 0 && SafeArrayGetElemsize(array) == size &&
         SUCCEEDED(SafeArrayGetVartype(array, &stored)) && stored == elementType;
}

std::vector<std::string> ArrayElementTexts(const VARIANT& value) {
  SAFEARRAY* array = value.parray;
  LONG lower = 0;
  LONG upper = -1;
  if ((value.vt & VT_ARRAY) == 0 || (value.vt & VT_BYREF) != 0 || array == nullptr ||
      FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    return {};
  }
  const VARTYPE elementType = value.vt & VT_TYPEMASK;
  void* data = nullptr;
  const bool readable =
      ArrayElementsAre(array, elementType) && SUCCEEDED(SafeArrayAccessData(array, &data));
  const size_t elementSize = SafeArrayGetElemsize(array);
  std::vector<std::string> elements;
  for (LONG index = lower; index <= upper; ++index) {
    const char* element = static_cast<const char*>(data) + (index - lower) * elementSize;
    elements.push_back(readable ? ElementText(elementType, element) : "?");
  }
  if (readable) SafeArrayUnaccessData(array);
  return elements;
}

VariantText VariantToText(const VARIANT& value) {
  if ((value.vt & VT_BYREF) != 0) return {"?", std::nullopt};
  if ((value.vt & VT_ARRAY) != 0) return {ArrayText(value), std::nullopt};
  return {ValueText(value.vt, &value.llVal, RealFormat::kFixed), ScalarNumber(value)};
}
