#include "platform/com/linux/safearray.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "platform/com/bstr_view.h"
#include "platform/com/variant_types.h"

namespace tavrel {

namespace {

// The allocation behind a SAFEARRAY: the element type travels in front of the descriptor.
struct ArrayBlock {
  VARTYPE vt;
  SAFEARRAY array;
};

ArrayBlock* BlockOf(SAFEARRAY* array) {
  return reinterpret_cast<ArrayBlock*>(reinterpret_cast<char*>(array) -
                                       offsetof(ArrayBlock, array));
}

USHORT FeaturesOf(VARTYPE vt) {
  switch (vt) {
    case VT_BSTR:
      return FADF_HAVEVARTYPE | FADF_BSTR;
    case VT_UNKNOWN:
      return FADF_HAVEVARTYPE | FADF_UNKNOWN;
    case VT_VARIANT:
      return FADF_HAVEVARTYPE | FADF_VARIANT;
    default:
      return FADF_HAVEVARTYPE;
  }
}

std::atomic_ref<ULONG> LockCount(SAFEARRAY* array) { return std::atomic_ref<ULONG>(array->cLocks); }

char* ElementAddress(SAFEARRAY* array, ULONG offset) {
  return static_cast<char*>(array->pvData) + static_cast<std::size_t>(offset) * array->cbElements;
}

// Frees what one element owns and zeroes it.
void ClearElement(VARTYPE vt, char* element) {
  if (vt == VT_BSTR) {
    BSTR string;
    std::memcpy(&string, element, sizeof string);
    SysFreeString(string);
  } else if (vt == VT_UNKNOWN) {
    IUnknown* unknown;
    std::memcpy(&unknown, element, sizeof unknown);
    if (unknown != nullptr) unknown->Release();
  } else if (vt == VT_VARIANT) {
    VariantClear(reinterpret_cast<VARIANT*>(element));
  }
  std::memset(element, 0, SafeArrayElementSizeOf(vt));
}

// Copies `source` (the element's own representation) into the zeroed `target`.
HRESULT CopyElement(VARTYPE vt, const char* source, char* target) {
  if (vt == VT_BSTR) {
    BSTR string;
    std::memcpy(&string, source, sizeof string);
    BSTR copy = string == nullptr ? nullptr : BstrFromView(BstrView(string));
    if (string != nullptr && copy == nullptr) return E_OUTOFMEMORY;
    std::memcpy(target, &copy, sizeof copy);
    return S_OK;
  }
  if (vt == VT_UNKNOWN) {
    IUnknown* unknown;
    std::memcpy(&unknown, source, sizeof unknown);
    if (unknown != nullptr) unknown->AddRef();
    std::memcpy(target, &unknown, sizeof unknown);
    return S_OK;
  }
  if (vt == VT_VARIANT) {
    auto* copy = reinterpret_cast<VARIANT*>(target);
    VariantInit(copy);
    return VariantCopy(copy, reinterpret_cast<const VARIANT*>(source));
  }
  std::memcpy(target, source, SafeArrayElementSizeOf(vt));
  return S_OK;
}

// The element offset of `indices[0]`, or false when it lies outside the bounds.
bool OffsetOf(SAFEARRAY* array, const LONG* indices, ULONG* offset) {
  const long long relative =
      static_cast<long long>(indices[0]) - static_cast<long long>(array->rgsabound[0].lLbound);
  if (relative < 0 || relative >= static_cast<long long>(array->rgsabound[0].cElements)) {
    return false;
  }
  *offset = static_cast<ULONG>(relative);
  return true;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dimensions, SAFEARRAYBOUND* bounds) {
  if (dimensions != 1 || bounds == nullptr) return nullptr;
  return SafeArrayCreateVector(vt, bounds[0].lLbound, bounds[0].cElements);
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements) {
  const ULONG size = SafeArrayElementSizeOf(vt);
  if (size == 0) return nullptr;
  auto* block = static_cast<ArrayBlock*>(std::calloc(1, sizeof(ArrayBlock)));
  if (block == nullptr) return nullptr;
  void* data = std::calloc(elements == 0 ? 1 : elements, size);
  if (data == nullptr) {
    std::free(block);
    return nullptr;
  }
  block->vt = vt;
  SAFEARRAY& array = block->array;
  array.cDims = 1;
  array.fFeatures = FeaturesOf(vt);
  array.cbElements = size;
  array.pvData = data;
  array.rgsabound[0] = SAFEARRAYBOUND{elements, lowerBound};
  return &array;
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (array == nullptr) return S_OK;
  if (LockCount(array).load() != 0) return DISP_E_ARRAYISLOCKED;
  ArrayBlock* block = BlockOf(array);
  for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) {
    ClearElement(block->vt, ElementAddress(array, i));
  }
  std::free(array->pvData);
  std::free(block);
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy) {
  if (copy == nullptr) return E_INVALIDARG;
  *copy = nullptr;
  if (array == nullptr) return S_OK;
  const VARTYPE vt = BlockOf(array)->vt;
  SAFEARRAY* result =
      SafeArrayCreateVector(vt, array->rgsabound[0].lLbound, array->rgsabound[0].cElements);
  if (result == nullptr) return E_OUTOFMEMORY;
  for (ULONG i = 0; i < array->rgsabound[0].cElements; ++i) {
    const HRESULT hr = CopyElement(vt, ElementAddress(array, i), ElementAddress(result, i));
    if (FAILED(hr)) {
      SafeArrayDestroy(result);
      return hr;
    }
  }
  *copy = result;
  return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* array) { return array == nullptr ? 0 : array->cDims; }

UINT SafeArrayGetElemsize(SAFEARRAY* array) { return array == nullptr ? 0 : array->cbElements; }

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt) {
  if (array == nullptr || vt == nullptr) return E_INVALIDARG;
  *vt = BlockOf(array)->vt;
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dimension, LONG* lowerBound) {
  if (array == nullptr || lowerBound == nullptr) return E_INVALIDARG;
  if (dimension != 1) return DISP_E_BADINDEX;
  *lowerBound = array->rgsabound[0].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dimension, LONG* upperBound) {
  if (array == nullptr || upperBound == nullptr) return E_INVALIDARG;
  if (dimension != 1) return DISP_E_BADINDEX;
  *upperBound = static_cast<LONG>(static_cast<long long>(array->rgsabound[0].lLbound) +
                                  array->rgsabound[0].cElements - 1);
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  LockCount(array).fetch_add(1);
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) {
  if (array == nullptr) return E_INVALIDARG;
  ULONG locks = LockCount(array).load();
  do {
    if (locks == 0) return E_UNEXPECTED;
  } while (!LockCount(array).compare_exchange_weak(locks, locks - 1));
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (array == nullptr || data == nullptr) return E_INVALIDARG;
  SafeArrayLock(array);
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) { return SafeArrayUnlock(array); }

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, LONG* indices, void** element) {
  if (array == nullptr || indices == nullptr || element == nullptr) return E_INVALIDARG;
  ULONG offset = 0;
  if (!OffsetOf(array, indices, &offset)) return DISP_E_BADINDEX;
  *element = ElementAddress(array, offset);
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (array == nullptr || indices == nullptr || value == nullptr) return E_INVALIDARG;
  ULONG offset = 0;
  if (!OffsetOf(array, indices, &offset)) return DISP_E_BADINDEX;
  return CopyElement(BlockOf(array)->vt, ElementAddress(array, offset), static_cast<char*>(value));
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value) {
  if (array == nullptr || indices == nullptr) return E_INVALIDARG;
  ULONG offset = 0;
  if (!OffsetOf(array, indices, &offset)) return DISP_E_BADINDEX;
  const VARTYPE vt = BlockOf(array)->vt;
  if (value == nullptr && vt != VT_BSTR && vt != VT_UNKNOWN) return E_INVALIDARG;
  // BSTR and IUnknown* elements are passed by value; copy them into a local representation.
  const char* source = static_cast<const char*>(value);
  if (vt == VT_BSTR || vt == VT_UNKNOWN) source = reinterpret_cast<const char*>(&value);
  alignas(VARIANT) char copy[sizeof(VARIANT)] = {};
  const HRESULT hr = CopyElement(vt, source, copy);
  if (FAILED(hr)) return hr;
  char* element = ElementAddress(array, offset);
  ClearElement(vt, element);
  std::memcpy(element, copy, SafeArrayElementSizeOf(vt));
  return S_OK;
}

}  // namespace tavrel
