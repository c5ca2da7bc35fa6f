// IEnumString and IEnumGUID.
//
// IEnumString::Next hands out strings in task memory: the caller frees each with
// CoTaskMemFree.
#pragma once

#include "platform/com/linux/unknown.h"

namespace tavrel {

inline constexpr IID IID_IEnumString = {
    0x00000101, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IEnumGUID = {
    0x0002E000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IEnumString : public IUnknown {
  STDMETHOD(Next)(ULONG count, LPOLESTR* elements, ULONG* fetched) PURE;
  STDMETHOD(Skip)(ULONG count) PURE;
  STDMETHOD(Reset)() PURE;
  STDMETHOD(Clone)(IEnumString** clone) PURE;
};
COM_INTERFACE_ID(IEnumString);
using LPENUMSTRING = IEnumString*;

struct IEnumGUID : public IUnknown {
  STDMETHOD(Next)(ULONG count, GUID* elements, ULONG* fetched) PURE;
  STDMETHOD(Skip)(ULONG count) PURE;
  STDMETHOD(Reset)() PURE;
  STDMETHOD(Clone)(IEnumGUID** clone) PURE;
};
COM_INTERFACE_ID(IEnumGUID);
using IEnumCLSID = IEnumGUID;
using LPENUMGUID = IEnumGUID*;

}  // namespace tavrel
