// IConnectionPointContainer, IConnectionPoint and their enumerators: how a server calls back
// its clients.
#pragma once

#include "platform/com/linux/unknown.h"

namespace tavrel {

inline constexpr IID IID_IConnectionPointContainer = {
    0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IEnumConnectionPoints = {
    0xB196B285, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IConnectionPoint = {
    0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IEnumConnections = {
    0xB196B287, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

struct CONNECTDATA {
  IUnknown* pUnk;
  DWORD dwCookie;
};

struct IEnumConnections : public IUnknown {
  STDMETHOD(Next)(ULONG count, CONNECTDATA* connections, ULONG* fetched) PURE;
  STDMETHOD(Skip)(ULONG count) PURE;
  STDMETHOD(Reset)() PURE;
  STDMETHOD(Clone)(IEnumConnections** clone) PURE;
};
COM_INTERFACE_ID(IEnumConnections);

struct IConnectionPointContainer;

struct IConnectionPoint : public IUnknown {
  STDMETHOD(GetConnectionInterface)(IID* iid) PURE;
  STDMETHOD(GetConnectionPointContainer)(IConnectionPointContainer** container) PURE;
  // E_POINTER for a null sink; CONNECT_E_CANNOTCONNECT when the sink does not implement the
  // point's interface.
  STDMETHOD(Advise)(IUnknown* sink, DWORD* cookie) PURE;
  // CONNECT_E_NOCONNECTION for a cookie that is not (or no longer) advised.
  STDMETHOD(Unadvise)(DWORD cookie) PURE;
  STDMETHOD(EnumConnections)(IEnumConnections** connections) PURE;
};
COM_INTERFACE_ID(IConnectionPoint);

struct IEnumConnectionPoints : public IUnknown {
  STDMETHOD(Next)(ULONG count, IConnectionPoint** points, ULONG* fetched) PURE;
  STDMETHOD(Skip)(ULONG count) PURE;
  STDMETHOD(Reset)() PURE;
  STDMETHOD(Clone)(IEnumConnectionPoints** clone) PURE;
};
COM_INTERFACE_ID(IEnumConnectionPoints);

struct IConnectionPointContainer : public IUnknown {
  STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints** points) PURE;
  // CONNECT_E_NOCONNECTION when the object has no point for `iid`.
  STDMETHOD(FindConnectionPoint)(REFIID iid, IConnectionPoint** point) PURE;
};
COM_INTERFACE_ID(IConnectionPointContainer);

}  // namespace tavrel
