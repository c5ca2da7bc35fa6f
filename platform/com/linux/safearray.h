// SAFEARRAY: the self-describing array of COM, one-dimensional here.
//
// An array made by SafeArrayCreate / SafeArrayCreateVector owns its elements: destroying it
// frees BSTR elements, releases VT_UNKNOWN elements and clears VT_VARIANT elements. Element
// access copies by the same rules as VARIANT (SafeArrayGetElement hands out a copy the caller
// owns; SafeArrayPutElement stores a copy). Arrays of more than one dimension are not offered
// (SafeArrayCreate returns null for them), nor are descriptors built by hand: every function
// expects an array made here.
//
// Locks (SafeArrayLock, SafeArrayAccessData) are counted; a locked array cannot be destroyed.
#pragma once

#include "platform/com/linux/hresult.h"
#include "platform/com/linux/variant.h"
#include "platform/com/linux/windows_types.h"

namespace tavrel {

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  PVOID pvData;
  SAFEARRAYBOUND rgsabound[1];
};

using LPSAFEARRAY = SAFEARRAY*;

inline constexpr USHORT FADF_AUTO = 0x0001;
inline constexpr USHORT FADF_STATIC = 0x0002;
inline constexpr USHORT FADF_EMBEDDED = 0x0004;
inline constexpr USHORT FADF_FIXEDSIZE = 0x0010;
inline constexpr USHORT FADF_HAVEVARTYPE = 0x0080;
inline constexpr USHORT FADF_BSTR = 0x0100;
inline constexpr USHORT FADF_UNKNOWN = 0x0200;
inline constexpr USHORT FADF_VARIANT = 0x0800;

// Element types: those of VARIANT except VT_EMPTY and VT_NULL, plus VT_VARIANT. Null for
// another type, for `dimensions` other than 1, or when out of memory. Elements start zeroed.
SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT dimensions, SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
// Frees the elements, the data and the descriptor; null is accepted.
HRESULT SafeArrayDestroy(SAFEARRAY* array);
// A deep copy of `array` into `*copy` (null for a null array).
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);

UINT SafeArrayGetDim(SAFEARRAY* array);
UINT SafeArrayGetElemsize(SAFEARRAY* array);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
// Bounds of dimension `dimension` (1 is the only one); DISP_E_BADINDEX for another.
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dimension, LONG* lowerBound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dimension, LONG* upperBound);

HRESULT SafeArrayLock(SAFEARRAY* array);
// E_UNEXPECTED when the array is not locked.
HRESULT SafeArrayUnlock(SAFEARRAY* array);
// Locks the array and gives the address of its first element.
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
// The address of the element at `indices[0]`; DISP_E_BADINDEX outside the bounds.
HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, LONG* indices, void** element);

// Copies the element at `indices[0]` into `*value`, which receives a BSTR copy, an added
// interface reference or (for VT_VARIANT) a VariantCopy into an uninitialised VARIANT.
HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value);
// Stores a copy of the value at `indices[0]`, freeing the element it replaces. As on Windows,
// `value` is the BSTR itself for VT_BSTR arrays and the IUnknown* itself for VT_UNKNOWN
// arrays; for every other type it points at the value.
HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value);

}  // namespace tavrel
