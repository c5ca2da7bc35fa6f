// VARIANT: the tagged value of COM, and its memory rules.
//
// A VARIANT owns what its type says it holds: a BSTR (VT_BSTR), a SAFEARRAY (VT_ARRAY | t) or
// one interface reference (VT_UNKNOWN). VariantClear frees it and leaves VT_EMPTY;
// VariantCopy makes a deep copy. A VT_BYREF variant owns nothing: it points at a value that
// someone else owns.
//
// Types held here: VT_EMPTY, VT_NULL, the integers (VT_I1 .. VT_UI8, VT_INT, VT_UINT), VT_R4,
// VT_R8, VT_CY, VT_DATE, VT_BSTR, VT_ERROR, VT_BOOL, VT_UNKNOWN, one-dimensional arrays of
// these and of VT_VARIANT, and references to any of them. VT_DISPATCH, VT_DECIMAL and
// VT_RECORD are not offered by this runtime and are refused with DISP_E_BADVARTYPE.
#pragma once

#include "platform/com/linux/bstr.h"
#include "platform/com/linux/hresult.h"
#include "platform/com/linux/unknown.h"
#include "platform/com/linux/windows_types.h"

namespace tavrel {

using VARTYPE = unsigned short;
using VARIANT_BOOL = short;
// Days since 30 December 1899, midnight; the fraction is the time of day.
using DATE = double;

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_RECORD = 36,
  VT_FILETIME = 64,
  VT_CLSID = 72,
  VT_VECTOR = 0x1000,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_RESERVED = 0x8000,
  VT_ILLEGAL = 0xFFFF,
  VT_ILLEGALMASKED = 0x0FFF,
  VT_TYPEMASK = 0x0FFF,
};

// Currency: a 64-bit integer scaled by 10000.
struct CY {
  LONGLONG int64;
};

struct SAFEARRAY;

struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    CY cyVal;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    SAFEARRAY* parray;
    CHAR cVal;
    USHORT uiVal;
    ULONG ulVal;
    ULONGLONG ullVal;
    INT intVal;
    UINT uintVal;
    BYTE* pbVal;
    SHORT* piVal;
    LONG* plVal;
    LONGLONG* pllVal;
    FLOAT* pfltVal;
    DOUBLE* pdblVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    CY* pcyVal;
    DATE* pdate;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    CHAR* pcVal;
    USHORT* puiVal;
    ULONG* pulVal;
    ULONGLONG* pullVal;
    INT* pintVal;
    UINT* puintVal;
    PVOID byref;
  };
};

using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;
using LPVARIANTARG = VARIANT*;

// Sets VT_EMPTY without looking at what the variant held.
void VariantInit(VARIANTARG* variant);
// Frees what the variant owns and sets VT_EMPTY. DISP_E_BADVARTYPE (variant untouched) for a
// type this runtime does not hold; DISP_E_ARRAYISLOCKED for a locked array.
HRESULT VariantClear(VARIANTARG* variant);
// Clears `destination`, then makes it a deep copy of `source` (BSTRs and arrays copied,
// interface references added; references copied as references). Copying a variant onto
// itself does nothing.
HRESULT VariantCopy(VARIANTARG* destination, const VARIANTARG* source);

}  // namespace tavrel
