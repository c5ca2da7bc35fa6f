#include "platform/com/linux/variant_change_type.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/linux/variant_date_text.h"
#include "platform/com/linux/variant_number_text.h"
#include "platform/com/linux/variant_time.h"
#include "platform/com/variant_date.h"
#include "platform/com/variant_types.h"

namespace tavrel {

namespace {

constexpr std::int64_t kCurrencyScale = 10000;
constexpr double kTwoPower64 = 18446744073709551616.0;

// An integer of any variant integer type: sign and magnitude.
struct Integer {
  bool negative = false;
  std::uint64_t magnitude = 0;
};

Integer FromSigned(std::int64_t value) {
  return value < 0 ? Integer{true, 0ull - static_cast<std::uint64_t>(value)}
                   : Integer{false, static_cast<std::uint64_t>(value)};
}

struct IntegerType {
  int bits;
  bool isSigned;
};

std::optional<IntegerType> IntegerTypeOf(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
      return IntegerType{8, true};
    case VT_UI1:
      return IntegerType{8, false};
    case VT_I2:
      return IntegerType{16, true};
    case VT_UI2:
      return IntegerType{16, false};
    case VT_I4:
    case VT_INT:
      return IntegerType{32, true};
    case VT_UI4:
    case VT_UINT:
      return IntegerType{32, false};
    case VT_I8:
      return IntegerType{64, true};
    case VT_UI8:
      return IntegerType{64, false};
    default:
      return std::nullopt;
  }
}

// The value of an integer-typed variant.
Integer IntegerOf(const VARIANT& v) {
  switch (v.vt) {
    case VT_I1:
      return FromSigned(static_cast<signed char>(v.cVal));
    case VT_UI1:
      return Integer{false, v.bVal};
    case VT_I2:
      return FromSigned(v.iVal);
    case VT_UI2:
      return Integer{false, v.uiVal};
    case VT_I4:
      return FromSigned(v.lVal);
    case VT_INT:
      return FromSigned(v.intVal);
    case VT_UI4:
      return Integer{false, v.ulVal};
    case VT_UINT:
      return Integer{false, v.uintVal};
    case VT_I8:
      return FromSigned(v.llVal);
    default:
      return Integer{false, v.ullVal};  // VT_UI8
  }
}

std::uint64_t MaxMagnitude(IntegerType type, bool negative) {
  if (type.isSigned) {
    const std::uint64_t half = 1ull << (type.bits - 1);
    return negative ? half : half - 1;
  }
  if (negative) return 0;
  return type.bits == 64 ? std::numeric_limits<std::uint64_t>::max() : (1ull << type.bits) - 1;
}

void StoreInteger(Integer value, VARTYPE vt, VARIANT* result) {
  const std::uint64_t bits = value.negative ? 0ull - value.magnitude : value.magnitude;
  result->vt = vt;
  switch (vt) {
    case VT_I1:
      result->cVal = static_cast<CHAR>(static_cast<signed char>(bits));
      break;
    case VT_UI1:
      result->bVal = static_cast<BYTE>(bits);
      break;
    case VT_I2:
      result->iVal = static_cast<SHORT>(bits);
      break;
    case VT_UI2:
      result->uiVal = static_cast<USHORT>(bits);
      break;
    case VT_I4:
      result->lVal = static_cast<LONG>(bits);
      break;
    case VT_INT:
      result->intVal = static_cast<INT>(bits);
      break;
    case VT_UI4:
      result->ulVal = static_cast<ULONG>(bits);
      break;
    case VT_UINT:
      result->uintVal = static_cast<UINT>(bits);
      break;
    case VT_I8:
      result->llVal = static_cast<LONGLONG>(bits);
      break;
    default:
      result->ullVal = bits;
      break;  // VT_UI8
  }
}

// Rounds half to even (the default floating-point rounding mode); false when the result does
// not fit 64 bits of magnitude.
bool RoundReal(double value, Integer* result) {
  const double rounded = std::nearbyint(value);
  if (!std::isfinite(rounded) || std::fabs(rounded) >= kTwoPower64) return false;
  *result = Integer{rounded < 0, static_cast<std::uint64_t>(std::fabs(rounded))};
  return true;
}

// A currency value rounded to an integer, half to even.
Integer RoundCurrency(std::int64_t scaled) {
  const std::int64_t quotient = scaled / kCurrencyScale;
  const std::int64_t remainder = scaled % kCurrencyScale;  // has the sign of the value
  const std::int64_t distance = remainder < 0 ? -remainder : remainder;
  const std::int64_t half = kCurrencyScale / 2;
  const bool away = distance > half || (distance == half && (quotient & 1) != 0);
  return FromSigned(away ? quotient + (remainder < 0 ? -1 : 1) : quotient);
}

// Reads text as a number; the HRESULT tells a non-number from an overflow.
HRESULT ParseText(BSTR text, ParsedNumber* number) {
  switch (ParseNumberText(BstrView(text), number)) {
    case NumberTextResult::kNumber:
      return S_OK;
    case NumberTextResult::kOverflow:
      return DISP_E_OVERFLOW;
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

bool EqualsIgnoringCase(WideStringView text, WideStringView word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    WCHAR c = text[i];
    if (c >= u'A' && c <= u'Z') c = c - u'A' + u'a';
    if (c != word[i]) return false;
  }
  return true;
}

WideStringView TrimBlanks(WideStringView text) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  return text;
}

HRESULT ToInteger(const VARIANT& source, VARTYPE vt, IntegerType type, VARIANT* result) {
  Integer value;
  if (IntegerTypeOf(source.vt)) {
    value = IntegerOf(source);
  } else {
    switch (source.vt) {
      case VT_EMPTY:
        break;
      case VT_BOOL:
        // True is -1: all ones in an unsigned target.
        if (source.boolVal != VARIANT_FALSE) {
          value = type.isSigned ? Integer{true, 1} : Integer{false, MaxMagnitude(type, false)};
        }
        break;
      case VT_R4:
        if (!RoundReal(source.fltVal, &value)) return DISP_E_OVERFLOW;
        break;
      case VT_R8:
      case VT_DATE:
        if (!RoundReal(source.dblVal, &value)) return DISP_E_OVERFLOW;
        break;
      case VT_CY:
        value = RoundCurrency(source.cyVal.int64);
        break;
      case VT_BSTR: {
        ParsedNumber number;
        const HRESULT hr = ParseText(source.bstrVal, &number);
        if (FAILED(hr)) return hr;
        if (!RoundParsedNumber(number, 0, &value.negative, &value.magnitude))
          return DISP_E_OVERFLOW;
        break;
      }
      default:
        return DISP_E_TYPEMISMATCH;
    }
  }
  if (value.magnitude > MaxMagnitude(type, value.negative)) return DISP_E_OVERFLOW;
  StoreInteger(value, vt, result);
  return S_OK;
}

// Any numeric source (booleans and dates included) as a double.
HRESULT RealOf(const VARIANT& source, double* value) {
  if (IntegerTypeOf(source.vt)) {
    const Integer integer = IntegerOf(source);
    *value = integer.negative ? -static_cast<double>(integer.magnitude)
                              : static_cast<double>(integer.magnitude);
    return S_OK;
  }
  switch (source.vt) {
    case VT_EMPTY:
      *value = 0.0;
      return S_OK;
    case VT_BOOL:
      *value = source.boolVal != VARIANT_FALSE ? -1.0 : 0.0;
      return S_OK;
    case VT_R4:
      *value = source.fltVal;
      return S_OK;
    case VT_R8:
    case VT_DATE:
      *value = source.dblVal;
      return S_OK;
    case VT_CY:
      *value = static_cast<double>(source.cyVal.int64) / kCurrencyScale;
      return S_OK;
    case VT_BSTR: {
      ParsedNumber number;
      const HRESULT hr = ParseText(source.bstrVal, &number);
      if (FAILED(hr)) return hr;
      return ParsedNumberToDouble(number, value) ? S_OK : DISP_E_OVERFLOW;
    }
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT ToReal(const VARIANT& source, VARTYPE vt, VARIANT* result) {
  double value = 0.0;
  const HRESULT hr = RealOf(source, &value);
  if (FAILED(hr)) return hr;
  if (vt == VT_R4) {
    if (std::fabs(value) > FLT_MAX) return DISP_E_OVERFLOW;
    result->fltVal = static_cast<float>(value);
  } else {
    result->dblVal = value;
  }
  result->vt = vt;
  return S_OK;
}

HRESULT ToDate(const VARIANT& source, VARIANT* result) {
  DATE date = 0.0;
  if (source.vt == VT_BSTR) {
    if (!ParseDateText(BstrView(source.bstrVal), &date)) return DISP_E_TYPEMISMATCH;
  } else {
    const HRESULT hr = RealOf(source, &date);
    if (FAILED(hr)) return hr;
    if (!IsValidVariantDate(date)) return DISP_E_OVERFLOW;
  }
  result->vt = VT_DATE;
  result->date = date;
  return S_OK;
}

HRESULT ToBool(const VARIANT& source, VARIANT* result) {
  bool value = false;
  if (source.vt == VT_BSTR) {
    const WideStringView text = TrimBlanks(BstrView(source.bstrVal));
    if (EqualsIgnoringCase(text, u"true")) {
      value = true;
    } else if (!EqualsIgnoringCase(text, u"false")) {
      ParsedNumber number;
      const HRESULT hr = ParseText(source.bstrVal, &number);
      if (FAILED(hr)) return hr;
      value = !number.digits.empty();
    }
  } else if (source.vt == VT_CY) {
    value = source.cyVal.int64 != 0;
  } else {
    double real = 0.0;
    const HRESULT hr = RealOf(source, &real);
    if (FAILED(hr)) return hr;
    value = real != 0.0;  // NaN is true
  }
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT ToCurrency(const VARIANT& source, VARIANT* result) {
  Integer scaled;
  if (IntegerTypeOf(source.vt)) {
    // Exactly, as a 64-bit integer may not be exact as a double.
    const Integer value = IntegerOf(source);
    if (value.magnitude > std::numeric_limits<std::uint64_t>::max() / kCurrencyScale) {
      return DISP_E_OVERFLOW;
    }
    scaled = Integer{value.negative, value.magnitude * kCurrencyScale};
  } else if (source.vt == VT_BSTR) {
    ParsedNumber number;
    const HRESULT hr = ParseText(source.bstrVal, &number);
    if (FAILED(hr)) return hr;
    if (!RoundParsedNumber(number, 4, &scaled.negative, &scaled.magnitude)) return DISP_E_OVERFLOW;
  } else {
    double real = 0.0;
    const HRESULT hr = RealOf(source, &real);
    if (FAILED(hr)) return hr;
    if (!RoundReal(real * kCurrencyScale, &scaled)) return DISP_E_OVERFLOW;
  }
  if (scaled.magnitude > MaxMagnitude(IntegerType{64, true}, scaled.negative)) {
    return DISP_E_OVERFLOW;
  }
  result->vt = VT_CY;
  result->cyVal.int64 =
      static_cast<std::int64_t>(scaled.negative ? 0ull - scaled.magnitude : scaled.magnitude);
  return S_OK;
}

HRESULT ToText(const VARIANT& source, USHORT flags, VARIANT* result) {
  WideString text;
  if (IntegerTypeOf(source.vt)) {
    const Integer value = IntegerOf(source);
    text = FormatIntegerText(value.negative, value.magnitude);
  } else {
    switch (source.vt) {
      case VT_EMPTY:
        break;
      case VT_BOOL:
        if (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)) {
          text = source.boolVal != VARIANT_FALSE ? u"True" : u"False";
        } else {
          text = source.boolVal != VARIANT_FALSE ? u"-1" : u"0";
        }
        break;
      case VT_R4:
        text = FormatRealText(source.fltVal, 7);
        break;
      case VT_R8:
        text = FormatRealText(source.dblVal, 15);
        break;
      case VT_CY:
        text = FormatCurrencyText(source.cyVal.int64);
        break;
      case VT_DATE:
        if (!FormatDateText(source.date, &text)) return E_INVALIDARG;
        break;
      default:
        return DISP_E_TYPEMISMATCH;
    }
  }
  result->bstrVal = BstrFromView(text);
  if (result->bstrVal == nullptr) return E_OUTOFMEMORY;
  result->vt = VT_BSTR;
  return S_OK;
}

// A non-owning view of the value a VT_BYREF variant points at; false for a null reference.
bool Dereference(const VARIANT& reference, VARIANT* value) {
  if (reference.byref == nullptr) return false;
  if (reference.vt == (VT_BYREF | VT_VARIANT)) {
    *value = *reference.pvarVal;
    return !(value->vt & VT_BYREF) || Dereference(*reference.pvarVal, value);
  }
  VariantInit(value);
  value->vt = reference.vt & ~VT_BYREF;
  if (value->vt & VT_ARRAY) {
    value->parray = *reference.pparray;
    return true;
  }
  switch (value->vt) {
    case VT_I1:
      value->cVal = *reference.pcVal;
      break;
    case VT_UI1:
      value->bVal = *reference.pbVal;
      break;
    case VT_I2:
      value->iVal = *reference.piVal;
      break;
    case VT_UI2:
      value->uiVal = *reference.puiVal;
      break;
    case VT_BOOL:
      value->boolVal = *reference.pboolVal;
      break;
    case VT_I4:
      value->lVal = *reference.plVal;
      break;
    case VT_UI4:
      value->ulVal = *reference.pulVal;
      break;
    case VT_INT:
      value->intVal = *reference.pintVal;
      break;
    case VT_UINT:
      value->uintVal = *reference.puintVal;
      break;
    case VT_ERROR:
      value->scode = *reference.pscode;
      break;
    case VT_R4:
      value->fltVal = *reference.pfltVal;
      break;
    case VT_R8:
      value->dblVal = *reference.pdblVal;
      break;
    case VT_DATE:
      value->date = *reference.pdate;
      break;
    case VT_CY:
      value->cyVal = *reference.pcyVal;
      break;
    case VT_I8:
      value->llVal = *reference.pllVal;
      break;
    case VT_UI8:
      value->ullVal = *reference.pullVal;
      break;
    case VT_BSTR:
      value->bstrVal = *reference.pbstrVal;
      break;
    case VT_UNKNOWN:
      value->punkVal = *reference.ppunkVal;
      break;
    default:
      return false;
  }
  return true;
}

HRESULT Convert(const VARIANT& source, USHORT flags, VARTYPE vt, VARIANT* result) {
  if (vt == VT_EMPTY) return S_OK;
  if (vt == VT_NULL) {
    if (source.vt != VT_EMPTY && source.vt != VT_NULL) return DISP_E_TYPEMISMATCH;
    result->vt = VT_NULL;
    return S_OK;
  }
  if (source.vt == vt) return VariantCopy(result, &source);
  if ((source.vt | vt) & VT_ARRAY) return DISP_E_TYPEMISMATCH;
  if (source.vt == VT_NULL) return DISP_E_TYPEMISMATCH;
  if (const auto integerType = IntegerTypeOf(vt))
    return ToInteger(source, vt, *integerType, result);
  switch (vt) {
    case VT_R4:
    case VT_R8:
      return ToReal(source, vt, result);
    case VT_DATE:
      return ToDate(source, result);
    case VT_BOOL:
      return ToBool(source, result);
    case VT_CY:
      return ToCurrency(source, result);
    case VT_BSTR:
      return ToText(source, flags, result);
    default:
      return DISP_E_TYPEMISMATCH;  // VT_ERROR, VT_UNKNOWN from another type
  }
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANTARG* destination, const VARIANTARG* source, LCID /*locale*/,
                            USHORT flags, VARTYPE vt) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if (!IsSupportedVariantType(source->vt)) return DISP_E_BADVARTYPE;
  if ((vt & VT_BYREF) || !IsSupportedVariantType(vt)) return DISP_E_BADVARTYPE;
  VARIANT value = *source;
  if ((source->vt & VT_BYREF) && !Dereference(*source, &value)) return E_INVALIDARG;
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = Convert(value, flags, vt, &result);
  if (FAILED(hr)) return hr;
  const HRESULT cleared = VariantClear(destination);
  if (FAILED(cleared)) {
    VariantClear(&result);
    return cleared;
  }
  *destination = result;
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* destination, const VARIANTARG* source, USHORT flags,
                          VARTYPE vt) {
  return VariantChangeTypeEx(destination, source, LOCALE_INVARIANT, flags, vt);
}

}  // namespace tavrel
