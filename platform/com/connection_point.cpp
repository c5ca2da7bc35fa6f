#include "platform/com/connection_point.h"

#include <utility>

#include "platform/com/com_enumerator.h"

namespace tavrel {

namespace {

struct ConnectionPolicy {
  using Element = CONNECTDATA;
  using Stored = std::pair<DWORD, ComPtr<IUnknown>>;
  static bool CopyOut(const Stored& item, Element* out) {
    item.second.CopyTo(&out->pUnk);
    out->dwCookie = item.first;
    return true;
  }
  static void Free(Element* element) {
    if (element->pUnk != nullptr) element->pUnk->Release();
    element->pUnk = nullptr;
  }
};

struct PointPolicy {
  using Element = IConnectionPoint*;
  using Stored = ComPtr<IConnectionPoint>;
  static bool CopyOut(const Stored& item, Element* out) {
    item.CopyTo(out);
    return true;
  }
  static void Free(Element* element) {
    if (*element != nullptr) (*element)->Release();
    *element = nullptr;
  }
};

}  // namespace

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& container, REFIID sinkIid)
    : container_(container), sinkIid_(sinkIid) {}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid != IID_IUnknown && iid != IID_IConnectionPoint) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IConnectionPoint*>(this);
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() { return container_.AddRef(); }

STDMETHODIMP_(ULONG) ConnectionPoint::Release() { return container_.Release(); }

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = sinkIid_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  container_.AddRef();
  *container = &container_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  void* sinkInterface = nullptr;
  if (FAILED(sink->QueryInterface(sinkIid_, &sinkInterface)) || sinkInterface == nullptr) {
    return CONNECT_E_CANNOTCONNECT;
  }
  // Every interface begins with IUnknown, so the sink interface is also an IUnknown pointer.
  ComPtr<IUnknown> held;
  held.Attach(static_cast<IUnknown*>(sinkInterface));
  MutexLock lock(mutex_);
  if (nextCookie_ == 0) return CONNECT_E_ADVISELIMIT;  // every cookie has been handed out
  *cookie = nextCookie_++;
  sinks_.emplace(*cookie, std::move(held));
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
  ComPtr<IUnknown> released;  // released after the lock, as its Release may call back
  {
    MutexLock lock(mutex_);
    const auto found = sinks_.find(cookie);
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    released = std::move(found->second);
    sinks_.erase(found);
  }
  return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections == nullptr) return E_POINTER;
  std::vector<ConnectionPolicy::Stored> snapshot;
  {
    MutexLock lock(mutex_);
    snapshot.assign(sinks_.begin(), sinks_.end());
  }
  *connections = MakeEnumerator<IEnumConnections, ConnectionPolicy>(std::move(snapshot)).Detach();
  return S_OK;
}

HRESULT FindConnectionPointIn(std::initializer_list<ConnectionPoint*> points, REFIID iid,
                              IConnectionPoint** point) {
  if (point == nullptr) return E_POINTER;
  *point = nullptr;
  for (ConnectionPoint* candidate : points) {
    if (candidate->SinkIid() == iid) {
      candidate->AddRef();
      *point = candidate;
      return S_OK;
    }
  }
  return CONNECT_E_NOCONNECTION;
}

HRESULT EnumerateConnectionPoints(std::initializer_list<ConnectionPoint*> points,
                                  IEnumConnectionPoints** enumerator) {
  if (enumerator == nullptr) return E_POINTER;
  std::vector<PointPolicy::Stored> snapshot;
  for (ConnectionPoint* point : points) snapshot.emplace_back(point);
  *enumerator = MakeEnumerator<IEnumConnectionPoints, PointPolicy>(std::move(snapshot)).Detach();
  return S_OK;
}

namespace {

// The connection point for `iid` of the object `container`.
HRESULT FindPointOf(IUnknown* container, REFIID iid, ComPtr<IConnectionPoint>* point) {
  if (container == nullptr) return E_INVALIDARG;
  ComPtr<IConnectionPointContainer> points;
  const HRESULT hr =
      container->QueryInterface(IID_IConnectionPointContainer, points.ReleaseAndGetVoidAddressOf());
  if (FAILED(hr)) return hr;
  return points->FindConnectionPoint(iid, point->ReleaseAndGetAddressOf());
}

}  // namespace

HRESULT AtlAdvise(IUnknown* container, IUnknown* sink, REFIID iid, LPDWORD cookie) {
  ComPtr<IConnectionPoint> point;
  const HRESULT hr = FindPointOf(container, iid, &point);
  return FAILED(hr) ? hr : point->Advise(sink, cookie);
}

HRESULT AtlUnadvise(IUnknown* container, REFIID iid, DWORD cookie) {
  ComPtr<IConnectionPoint> point;
  const HRESULT hr = FindPointOf(container, iid, &point);
  return FAILED(hr) ? hr : point->Unadvise(cookie);
}

}  // namespace tavrel
