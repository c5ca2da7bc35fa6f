#include "platform/com/owned_variant.h"

#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"

namespace tavrel {

OwnedVariant::OwnedVariant(const VARIANT& value) {
  VariantInit(&value_);
  if (FAILED(VariantCopy(&value_, &value))) VariantInit(&value_);
}

OwnedVariant OwnedVariant::FromDouble(double value) {
  OwnedVariant result;
  result.value_.vt = VT_R8;
  result.value_.dblVal = value;
  return result;
}

OwnedVariant OwnedVariant::FromBool(bool value) {
  OwnedVariant result;
  result.value_.vt = VT_BOOL;
  result.value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return result;
}

OwnedVariant OwnedVariant::FromText(WideStringView text) {
  OwnedVariant result;
  result.value_.bstrVal = BstrFromView(text);
  if (result.value_.bstrVal != nullptr) result.value_.vt = VT_BSTR;
  return result;
}

}  // namespace tavrel
