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
#include "platform/com/com_api.h"
#include "platform/com/com_ptr.h"

namespace tavrel {

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
