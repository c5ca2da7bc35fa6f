// Connection points: how a server calls back its clients (IOPCShutdown, IOPCDataCallback).
//
// A client advises its sink object on the server's connection point for the sink's
// interface and receives a cookie (never 0); it unadvises with that cookie. The server fires
// events on every advised sink.
//
// ConnectionPoint implements IConnectionPoint as a member of the object that serves
// IConnectionPointContainer: its reference counts go to that object, so the point lives as
// long as any reference to it. The container's FindConnectionPoint and EnumConnectionPoints
// are one-line calls of FindConnectionPointIn and EnumerateConnectionPoints.
#pragma once

#include <atomic>
#include <initializer_list>
#include <map>
#include <vector>

#include "common/mutex.h"
#include "platform/com/com_ptr.h"
#include "platform/com/unknown.h"

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

class ConnectionPoint final : public IConnectionPoint {
 public:
  // `container` is the object this point is a member of; `sinkIid` the sinks' interface.
  ConnectionPoint(IConnectionPointContainer& container, REFIID sinkIid);
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

  REFIID SinkIid() const { return sinkIid_; }

  // The advised sinks as `Sink` (the point's interface), each with a reference, so that the
  // server calls them without holding any lock of the point.
  template <typename Sink>
  std::vector<ComPtr<Sink>> Sinks() const {
    std::vector<ComPtr<Sink>> sinks;
    MutexLock lock(mutex_);
    for (const auto& [cookie, sink] : sinks_) sinks.emplace_back(static_cast<Sink*>(sink.Get()));
    return sinks;
  }

 private:
  IConnectionPointContainer& container_;
  const IID sinkIid_;
  mutable Mutex mutex_;
  // Cookie -> the sink's `sinkIid_` interface, held as IUnknown.
  std::map<DWORD, ComPtr<IUnknown>> sinks_ GUARDED_BY(mutex_);
  DWORD nextCookie_ GUARDED_BY(mutex_) = 1;
};

// FindConnectionPoint and EnumConnectionPoints of a container over its `points`.
HRESULT FindConnectionPointIn(std::initializer_list<ConnectionPoint*> points, REFIID iid,
                              IConnectionPoint** point);
HRESULT EnumerateConnectionPoints(std::initializer_list<ConnectionPoint*> points,
                                  IEnumConnectionPoints** enumerator);

// Advises `sink` on the connection point for `iid` of the object `container` (and undoes
// it), as the Windows helpers of these names do.
HRESULT AtlAdvise(IUnknown* container, IUnknown* sink, REFIID iid, LPDWORD cookie);
HRESULT AtlUnadvise(IUnknown* container, REFIID iid, DWORD cookie);

}  // namespace tavrel
