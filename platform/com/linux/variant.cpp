#include "platform/com/linux/variant.h"

#include "platform/com/bstr_view.h"
#include "platform/com/linux/safearray.h"
#include "platform/com/variant_types.h"

namespace tavrel {

void VariantInit(VARIANTARG* variant) {
  variant->vt = VT_EMPTY;
  variant->wReserved1 = variant->wReserved2 = variant->wReserved3 = 0;
  variant->llVal = 0;
}

HRESULT VariantClear(VARIANTARG* variant) {
  if (variant == nullptr) return E_INVALIDARG;
  if (!IsSupportedVariantType(variant->vt)) return DISP_E_BADVARTYPE;
  if (!(variant->vt & VT_BYREF)) {
    if (variant->vt & VT_ARRAY) {
      const HRESULT hr = SafeArrayDestroy(variant->parray);
      if (FAILED(hr)) return hr;
    } else if (variant->vt == VT_BSTR) {
      SysFreeString(variant->bstrVal);
    } else if (variant->vt == VT_UNKNOWN && variant->punkVal != nullptr) {
      variant->punkVal->Release();
    }
  }
  VariantInit(variant);
  return S_OK;
}

HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source) {
  if (destination == nullptr || source == nullptr) return E_INVALIDARG;
  if (destination == source) return S_OK;
  if (!IsSupportedVariantType(source->vt)) return DISP_E_BADVARTYPE;
  const HRESULT cleared = VariantClear(destination);
  if (FAILED(cleared)) return cleared;

  VARIANT copy = *source;
  if (!(source->vt & VT_BYREF)) {
    if (source->vt & VT_ARRAY) {
      copy.parray = nullptr;
      if (source->parray != nullptr) {
        const HRESULT hr = SafeArrayCopy(source->parray, &copy.parray);
        if (FAILED(hr)) return hr;
      }
    } else if (source->vt == VT_BSTR && source->bstrVal != nullptr) {
      copy.bstrVal = BstrFromView(BstrView(source->bstrVal));
      if (copy.bstrVal == nullptr) return E_OUTOFMEMORY;
    } else if (source->vt == VT_UNKNOWN && source->punkVal != nullptr) {
      source->punkVal->AddRef();
    }
  }
  *destination = copy;
  return S_OK;
}

}  // namespace tavrel
