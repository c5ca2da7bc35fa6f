// A proxy/stub compiled from one of our IDL files (cmake/TavrelIdl.cmake) and its registration
// for the calling apartment.
#pragma once

#include "platform/com/com_api.h"

namespace tavrel {

// What the generated <name>_proxy.c offers as <name>_ProxyStub.
struct ProxyStub {
  // The factory object of the proxy/stub under `clsid` (one reference).
  HRESULT (*classObject)(REFCLSID clsid, IUnknown** factory);
  // The interfaces it carries, by index below the count.
  unsigned (*interfaceCount)();
  const IID* (*interfaceAt)(unsigned index);
};

// Registers `proxyStub` under `clsid` for the calling apartment only: its class object with
// CoRegisterClassObject and each of its interfaces with CoRegisterPSClsid. Never in the
// registry: this process's registration takes precedence for it alone over a machine-wide one
// (on a plant's host, the OPC core components own those keys). `clsid` is ours alone.
//
// The runtime keeps both registrations per apartment: call after CoInitializeEx in every
// apartment that marshals these interfaces, and again after the apartment was left and entered
// anew. A call where the class object is registered already does nothing.
HRESULT RegisterProxyStub(const ProxyStub& proxyStub, REFCLSID clsid);

}  // namespace tavrel
