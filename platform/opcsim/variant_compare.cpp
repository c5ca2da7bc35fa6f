#include "platform/opcsim/variant_compare.h"

#include <cstring>

#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"

namespace tavrel::opcsim {

namespace {

bool ArraysEqual(SAFEARRAY* a, SAFEARRAY* b) {
  if (a == nullptr || b == nullptr) return a == b;
  VARTYPE typeA = VT_EMPTY;
  VARTYPE typeB = VT_EMPTY;
  if (FAILED(SafeArrayGetVartype(a, &typeA)) || FAILED(SafeArrayGetVartype(b, &typeB))) {
    return false;
  }
  if (typeA != typeB || a->rgsabound[0].cElements != b->rgsabound[0].cElements ||
      a->rgsabound[0].lLbound != b->rgsabound[0].lLbound) {
    return false;
  }
  const ULONG count = a->rgsabound[0].cElements;
  if (typeA == VT_BSTR) {
    const auto* stringsA = static_cast<const BSTR*>(a->pvData);
    const auto* stringsB = static_cast<const BSTR*>(b->pvData);
    for (ULONG i = 0; i < count; ++i) {
      if (BstrView(stringsA[i]) != BstrView(stringsB[i])) return false;
    }
    return true;
  }
  if (typeA == VT_VARIANT) {
    const auto* variantsA = static_cast<const VARIANT*>(a->pvData);
    const auto* variantsB = static_cast<const VARIANT*>(b->pvData);
    for (ULONG i = 0; i < count; ++i) {
      if (!VariantsEqual(variantsA[i], variantsB[i])) return false;
    }
    return true;
  }
  if (typeA == VT_R8 || typeA == VT_R4 || typeA == VT_DATE) {
    for (ULONG i = 0; i < count; ++i) {
      const double x = typeA == VT_R4 ? static_cast<const float*>(a->pvData)[i]
                                      : static_cast<const double*>(a->pvData)[i];
      const double y = typeA == VT_R4 ? static_cast<const float*>(b->pvData)[i]
                                      : static_cast<const double*>(b->pvData)[i];
      if (!(x == y)) return false;
    }
    return true;
  }
  return std::memcmp(a->pvData, b->pvData, static_cast<size_t>(count) * a->cbElements) == 0;
}

}  // namespace

bool VariantsEqual(const VARIANT& a, const VARIANT& b) {
  if (a.vt != b.vt) return false;
  if (a.vt & VT_ARRAY) return ArraysEqual(a.parray, b.parray);
  switch (a.vt) {
    case VT_EMPTY:
    case VT_NULL:
      return true;
    case VT_I1:
    case VT_UI1:
      return a.bVal == b.bVal;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
      return a.iVal == b.iVal;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
      return a.lVal == b.lVal;
    case VT_I8:
    case VT_UI8:
    case VT_CY:
      return a.llVal == b.llVal;
    case VT_R4:
      return a.fltVal == b.fltVal;
    case VT_R8:
    case VT_DATE:
      return a.dblVal == b.dblVal;
    case VT_BSTR:
      return BstrView(a.bstrVal) == BstrView(b.bstrVal);
    case VT_UNKNOWN:
      return a.punkVal == b.punkVal;
    default:
      return false;
  }
}

std::optional<double> VariantAsDouble(const VARIANT& value) {
  switch (value.vt) {
    case VT_I1:
      return static_cast<double>(value.cVal);
    case VT_UI1:
      return static_cast<double>(value.bVal);
    case VT_I2:
      return static_cast<double>(value.iVal);
    case VT_UI2:
      return static_cast<double>(value.uiVal);
    case VT_I4:
    case VT_INT:
      return static_cast<double>(value.lVal);
    case VT_UI4:
    case VT_UINT:
      return static_cast<double>(value.ulVal);
    case VT_I8:
      return static_cast<double>(value.llVal);
    case VT_UI8:
      return static_cast<double>(value.ullVal);
    case VT_R4:
      return static_cast<double>(value.fltVal);
    case VT_R8:
    case VT_DATE:
      return value.dblVal;
    case VT_CY:
      return static_cast<double>(value.cyVal.int64) / 10000.0;
    case VT_BOOL:
      return value.boolVal != VARIANT_FALSE ? 1.0 : 0.0;
    default:
      return std::nullopt;
  }
}

bool IsConvertibleScalarType(VARTYPE vt) {
  switch (vt) {
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_BOOL:
      return true;
    default:
      return false;
  }
}

bool CanServeAs(VARTYPE canonical, VARTYPE requested) {
  if (requested == VT_EMPTY || requested == canonical) return true;
  return IsConvertibleScalarType(canonical) && IsConvertibleScalarType(requested);
}

}  // namespace tavrel::opcsim
