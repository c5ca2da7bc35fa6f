#include "platform/opcda/opc_proxy_registration.h"

#include <mutex>

#include "platform/opcda/windows/opcda_proxy.h"

namespace tavrel {

namespace {

// The class of the proxy/stub factory, ours alone: the process's registration never meets the
// class that a machine-wide installation of these interfaces registers.
constexpr CLSID kOpcProxyClsid = {
    0xE0CBB0C3, 0xE049, 0x41E9, {0x82, 0x59, 0x3D, 0xD5, 0xF9, 0x24, 0xCA, 0xB7}};

HRESULT Register() {
  IUnknown* factory = nullptr;
  HRESULT hr = OpcdaProxyClassObject(kOpcProxyClsid, &factory);
  if (FAILED(hr)) return hr;
  DWORD cookie = 0;
  hr = CoRegisterClassObject(kOpcProxyClsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                             &cookie);
  factory->Release();
  for (unsigned index = 0; SUCCEEDED(hr) && index < OpcdaProxyInterfaceCount(); ++index) {
    hr = CoRegisterPSClsid(*OpcdaProxyInterface(index), kOpcProxyClsid);
  }
  return hr;
}

}  // namespace

HRESULT RegisterOpcProxies() {
  APTTYPE type = APTTYPE_CURRENT;
  APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
  if (const HRESULT hr = CoGetApartmentType(&type, &qualifier); FAILED(hr)) return hr;
  // The runtime keeps both registrations per apartment: the process has one multithreaded
  // apartment, and every single-threaded apartment is a thread.
  if (type == APTTYPE_MTA) {
    static std::once_flag once;
    static HRESULT result = S_OK;
    std::call_once(once, [] { result = Register(); });
    return result;
  }
  thread_local const HRESULT result = Register();
  return result;
}

}  // namespace tavrel
