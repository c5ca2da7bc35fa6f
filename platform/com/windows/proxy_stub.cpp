#include "platform/com/windows/proxy_stub.h"

#include <map>
#include <string>

#include "common/mutex.h"
#include "platform/com/guid_text.h"

namespace tavrel {

namespace {

HRESULT Register(const ProxyStub& proxyStub, REFCLSID clsid) {
  IUnknown* factory = nullptr;
  HRESULT hr = proxyStub.classObject(clsid, &factory);
  if (FAILED(hr)) return hr;
  DWORD cookie = 0;
  hr = CoRegisterClassObject(clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
  factory->Release();
  for (unsigned index = 0; SUCCEEDED(hr) && index < proxyStub.interfaceCount(); ++index) {
    hr = CoRegisterPSClsid(*proxyStub.interfaceAt(index), clsid);
  }
  return hr;
}

// The results of the registrations made in one apartment, by class.
class ApartmentRegistrations {
 public:
  HRESULT Register(const ProxyStub& proxyStub, REFCLSID clsid) {
    MutexLock lock(mutex_);
    const auto [entry, added] = results_.try_emplace(GuidToString(clsid), S_OK);
    if (added) entry->second = tavrel::Register(proxyStub, clsid);
    return entry->second;
  }

 private:
  Mutex mutex_;
  std::map<std::string, HRESULT> results_ GUARDED_BY(mutex_);
};

}  // namespace

HRESULT RegisterProxyStub(const ProxyStub& proxyStub, REFCLSID clsid) {
  APTTYPE type = APTTYPE_CURRENT;
  APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
  if (const HRESULT hr = CoGetApartmentType(&type, &qualifier); FAILED(hr)) return hr;
  // The process has one multithreaded apartment, and every single-threaded one is a thread.
  static ApartmentRegistrations multithreaded;
  thread_local ApartmentRegistrations singleThreaded;
  return (type == APTTYPE_MTA ? multithreaded : singleThreaded).Register(proxyStub, clsid);
}

}  // namespace tavrel
