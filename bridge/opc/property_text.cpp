#include "bridge/opc/property_text.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "bridge/core/variant_text.h"
#include "common/code_page.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

template <typename... Args>
std::string Printed(const char* format, Args... args) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, args...);
  return buffer;
}

std::string DateText(DATE date) {
  SYSTEMTIME time{};
  if (!VariantTimeToSystemTime(date, &time)) return "?";
  return Printed("%04d-%02d-%02d %02d:%02d:%02d %03d", time.wYear, time.wMonth, time.wDay,
                 time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
}

// The text of a scalar of type `vt` held in `value`'s union (its own vt is not consulted).
std::string ScalarText(VARTYPE vt, const VARIANT& value) {
  switch (vt) {
    case VT_I2:
      return Printed("%hd", value.iVal);
    case VT_UI2:
      return Printed("%hu", value.uiVal);
    case VT_I4:
      return Printed("%" PRId32, value.lVal);
    case VT_UI4:
      return Printed("%" PRIu32, value.ulVal);
    case VT_UINT:
      return Printed("%u", value.uintVal);
    case VT_I8:
      return Printed("%" PRId64, value.llVal);
    case VT_UI8:
      return Printed("%" PRIu64, value.ullVal);
    case VT_R4:
      return Printed("%g", static_cast<double>(value.fltVal));
    case VT_R8:
      return Printed("%g", value.dblVal);
    case VT_DATE:
      return DateText(value.date);
    case VT_BSTR:
      return WideToAnsi(BstrView(value.bstrVal));
    case VT_BOOL:
      return value.boolVal != 0 ? "1" : "0";
    case VT_I1:
      return Printed("%d", static_cast<signed char>(value.cVal));
    case VT_UI1:
      return Printed("%hd", static_cast<short>(value.bVal));
    default:
      return "?";
  }
}

std::string ArrayText(VARTYPE elementType, SAFEARRAY* array) {
  LONG lower = 0;
  LONG upper = -1;
  if (array == nullptr || FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(SafeArrayGetUBound(array, 1, &upper))) {
    return "";
  }
  const std::size_t elementSize = SafeArrayGetElemsize(array);
  // Elements of another type than the variant names, or wider than a scalar (a VARIANT), are
  // not read.
  const bool readable =
      ArrayElementsAre(array, elementType) && elementSize <= sizeof(VARIANT{}.ullVal);
  std::string text;
  for (LONG index = lower; index <= upper; ++index) {
    void* element = nullptr;
    LONG indices[1] = {index};
    if (index != lower) text += ", ";
    VARIANT holder{};
    if (!readable) {
      text += "?";
    } else if (SUCCEEDED(SafeArrayPtrOfIndex(array, indices, &element))) {
      std::memcpy(&holder.ullVal, element, elementSize);
      text += ScalarText(elementType, holder);
    }
  }
  return text;
}

}  // namespace

std::string PropertyText(const VARIANT& value) {
  if ((value.vt & VT_BYREF) != 0) return "?";  // before the array bit: pparray is no parray
  if ((value.vt & VT_ARRAY) != 0) {
    return ArrayText(static_cast<VARTYPE>(value.vt & ~VT_ARRAY), value.parray);
  }
  return ScalarText(value.vt, value);
}

}  // namespace tavrel
