#include "platform/com/windows/proxy_stub.h"

#include "platform/com/com_ptr.h"

namespace tavrel {

HRESULT RegisterProxyStub(const ProxyStub& proxyStub, REFCLSID clsid) {
  // The class object is found only where it was registered: in this apartment, by an earlier
  // call (a registration ends with its apartment, which a program may leave and enter again).
  ComPtr<IUnknown> registered;
  if (SUCCEEDED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IUnknown,
                                 registered.ReleaseAndGetVoidAddressOf()))) {
    return S_OK;
  }
  ComPtr<IUnknown> factory;
  HRESULT hr = proxyStub.classObject(clsid, factory.ReleaseAndGetAddressOf());
  if (FAILED(hr)) return hr;
  DWORD cookie = 0;
  hr = CoRegisterClassObject(clsid, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                             &cookie);
  for (unsigned index = 0; SUCCEEDED(hr) && index < proxyStub.interfaceCount(); ++index) {
    hr = CoRegisterPSClsid(*proxyStub.interfaceAt(index), clsid);
  }
  return hr;
}

}  // namespace tavrel
