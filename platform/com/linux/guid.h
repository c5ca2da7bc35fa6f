// GUID, CLSID, IID and CATID, and their text form.
//
// The text form is the registry form: 38 characters, hexadecimal groups 8-4-4-4-12 in braces,
// "{13486D51-4821-11D2-A494-3CB306C10000}". It is written in upper case; either case is read.
#pragma once

#include <string>
#include <string_view>

#include "common/wide_string.h"
#include "platform/com/linux/hresult.h"
#include "platform/com/linux/windows_types.h"

// The SDK's definition of a named GUID constant, as the IDL compiler writes them.
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

namespace tavrel {

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];

  friend constexpr bool operator==(const GUID&, const GUID&) = default;
};

using IID = GUID;
using CLSID = GUID;
using CATID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;
using REFCLSID = const CLSID&;
using LPGUID = GUID*;
using LPIID = IID*;
using LPCLSID = CLSID*;

inline constexpr GUID GUID_NULL{};
inline constexpr CLSID CLSID_NULL{};
inline constexpr IID IID_NULL{};

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
constexpr bool IsEqualIID(REFIID a, REFIID b) { return a == b; }
constexpr bool IsEqualCLSID(REFCLSID a, REFCLSID b) { return a == b; }

// Reads the registry form into `*clsid`, or, as Windows does, a registered ProgID (a text
// without the opening brace; see CLSIDFromProgID). A null `text` gives CLSID_NULL and S_OK;
// any other text gives CO_E_CLASSSTRING and CLSID_NULL.
HRESULT CLSIDFromString(LPCOLESTR text, LPCLSID clsid);
// The registry form only; a malformed text gives E_INVALIDARG and IID_NULL.
HRESULT IIDFromString(LPCOLESTR text, LPIID iid);
// The registry form in task memory (the caller frees it with CoTaskMemFree).
HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR* text);
HRESULT StringFromIID(REFIID iid, LPOLESTR* text);
// Writes the registry form with its NUL into `buffer` of `capacity` characters. Returns the
// characters written including the NUL, or 0 when the buffer is too small.
int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int capacity);

}  // namespace tavrel
