#include "bridge/core/variant_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "bridge/core/typed_value.h"
#include "common/code_page.h"
#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"
#include "platform/com/variant_types.h"

namespace tavrel {

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

// "%f" of a real whose magnitude is below 2^53, into `out` (at least 32 characters); the end of
// the text. The value is an integer significand over a power of two, so its millionths are
// that significand times 10^6 shifted right, rounded as printf rounds: to the nearest, ties to
// even. Exact, like printf, and several times faster than the general conversion. The
// significand and the exponent are read off the value's bits; the millionths of a magnitude
// below about 1.8e13 (all but the largest values) fit 64 bits and are split into the integer
// and the decimals without 128-bit division.
__extension__ using Uint128 = unsigned __int128;
char* FixedSixDecimals(double value, char* out) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  const auto biasedExponent = static_cast<int>(bits >> 52 & 0x7FF);  // 0 for zero, subnormals
  std::uint64_t significand = bits & ((std::uint64_t{1} << 52) - 1);
  if (biasedExponent != 0) significand |= std::uint64_t{1} << 52;
  // |value| = significand / 2^shift; shift >= 0 as |value| < 2^53
  const int shift = biasedExponent != 0 ? 1075 - biasedExponent : 1074;
  const Uint128 scaled = static_cast<Uint128>(significand) * 1'000'000;
  Uint128 millionths = 0;
  if (shift == 0) {
    millionths = scaled;
  } else if (shift < 100) {  // scaled < 2^73: a longer shift leaves less than half a millionth
    millionths = scaled >> shift;
    const Uint128 remainder = scaled - (millionths << shift);
    const Uint128 half = static_cast<Uint128>(1) << (shift - 1);
    if (remainder > half || (remainder == half && (millionths & 1) != 0)) ++millionths;
  }
  std::uint64_t integer = 0;
  std::uint32_t decimals = 0;
  if (millionths <= std::numeric_limits<std::uint64_t>::max()) {
    const auto narrow = static_cast<std::uint64_t>(millionths);
    integer = narrow / 1'000'000;
    decimals = static_cast<std::uint32_t>(narrow % 1'000'000);
  } else {
    integer = static_cast<std::uint64_t>(millionths / 1'000'000);
    decimals = static_cast<std::uint32_t>(millionths % 1'000'000);
  }
  if (std::signbit(value)) *out++ = '-';
  out = std::to_chars(out, out + 20, integer).ptr;
  *out++ = '.';
  for (int i = 6; i-- > 0; decimals /= 10) out[i] = static_cast<char>('0' + decimals % 10);
  return out + 6;
}

// "%f" or "%g" of a real. std::to_chars with a precision prints exactly what printf prints
// for the same conversion in the C locale, several times faster; values update a million
// times a second here, so the common "%f" of a magnitude below 2^53 takes the shorter way
// above. "%f" of the largest double takes 316 characters.
std::string RealText(double value, RealFormat format) {
  char buffer[320];
  if (format == RealFormat::kFixed && std::fabs(value) < 0x1p53) {
    return std::string(buffer, FixedSixDecimals(value, buffer));
  }
  const auto end =
      std::to_chars(
          buffer, buffer + sizeof buffer, value,
          format == RealFormat::kFixed ? std::chars_format::fixed : std::chars_format::general, 6)
          .ptr;
  return std::string(buffer, end);
}

std::string DateText(DATE date) {
  const std::optional<TypedDate> moment = TypedDateOfVariantTime(date);
  return moment ? TypedDateText(*moment) : "0000-00-00 00:00:00 000";
}

// The text of a value of type `vt` (without the array or reference bits) stored at `data`.
std::string ValueText(VARTYPE vt, const void* data, RealFormat realFormat) {
  switch (vt) {
    case VT_I1:
      return IntegerText(LoadVariantData<signed char>(data));
    case VT_I2:
      return IntegerText(LoadVariantData<SHORT>(data));
    case VT_I4:
      return IntegerText(LoadVariantData<LONG>(data));
    case VT_UI1:
      return IntegerText(LoadVariantData<BYTE>(data));
    case VT_UI2:
      return IntegerText(LoadVariantData<USHORT>(data));
    case VT_UI4:
      return IntegerText(LoadVariantData<ULONG>(data));
    case VT_I8:
      return IntegerText(LoadVariantData<LONGLONG>(data));
    case VT_UI8:
      return IntegerText(LoadVariantData<ULONGLONG>(data));
    case VT_R4:
      return RealText(LoadVariantData<FLOAT>(data), realFormat);
    case VT_R8:
      return RealText(LoadVariantData<DOUBLE>(data), realFormat);
    case VT_BOOL:
      return LoadVariantData<VARIANT_BOOL>(data) != 0 ? "1" : "0";
    case VT_DATE:
      return DateText(LoadVariantData<DATE>(data));
    case VT_BSTR:
      return WideToAnsi(BstrView(LoadVariantData<BSTR>(data)));
    default:
      return "?";
  }
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

}  // namespace

bool ArrayElementsAre(SAFEARRAY* array, VARTYPE elementType) {
  const size_t size = SafeArrayElementSizeOf(elementType);
  VARTYPE stored = VT_EMPTY;
  return array != nullptr && size != 0 && SafeArrayGetElemsize(array) == size &&
         SUCCEEDED(SafeArrayGetVartype(array, &stored)) && stored == elementType;
}

bool VisitArrayElements(const VARIANT& value,
                        const std::function<void(VARTYPE vt, const void* data)>& visit) {
  SAFEARRAY* array = value.parray;
  LONG lower = 0;
  LONG upper = -1;
  if ((value.vt & VT_ARRAY) == 0 || (value.vt & VT_BYREF) != 0 || array == nullptr ||
      FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    return false;
  }
  const VARTYPE elementType = value.vt & VT_TYPEMASK;
  void* data = nullptr;
  const bool readable =
      ArrayElementsAre(array, elementType) && SUCCEEDED(SafeArrayAccessData(array, &data));
  const size_t elementSize = SafeArrayGetElemsize(array);
  for (LONG index = lower; index <= upper; ++index) {
    if (!readable) {
      visit(VT_EMPTY, nullptr);
      continue;
    }
    const char* element = static_cast<const char*>(data) + (index - lower) * elementSize;
    if (elementType != VT_VARIANT) {
      visit(elementType, element);
    } else if (const auto* held = reinterpret_cast<const VARIANT*>(element);
               (held->vt & (VT_ARRAY | VT_BYREF)) != 0) {
      visit(VT_EMPTY, nullptr);
    } else {
      visit(held->vt, &held->llVal);
    }
  }
  if (readable) SafeArrayUnaccessData(array);
  return true;
}

std::vector<std::string> ArrayElementTexts(const VARIANT& value) {
  std::vector<std::string> elements;
  VisitArrayElements(value, [&](VARTYPE vt, const void* data) {
    elements.push_back(ValueText(vt, data, RealFormat::kShortest));
  });
  return elements;
}

std::string FixedRealText(double value) { return RealText(value, RealFormat::kFixed); }

std::optional<double> VariantNumber(const VARIANT& value) {
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

VariantText VariantToText(const VARIANT& value) {
  if ((value.vt & VT_BYREF) != 0) return {"?", std::nullopt};
  if ((value.vt & VT_ARRAY) != 0) return {ArrayText(value), std::nullopt};
  return {ValueText(value.vt, &value.llVal, RealFormat::kFixed), VariantNumber(value)};
}

}  // namespace tavrel
