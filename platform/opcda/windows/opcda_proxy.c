/* The proxy/stub widl compiled from opcda.idl, with what a proxy DLL's data file adds to it:
 * the factory object and the stub buffers' Release that the generated tables name. Built into
 * the programs rather than a DLL, and registered for the process by
 * opc_proxy_registration.cpp. */

#include <objbase.h>

/* The RPC runtime exports these and the generated tables name them; mingw-w64 declares them
 * for C++ only. */
HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown *This, REFIID riid,
                                                        void **object);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown *This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown *This);

/* Generated code, which includes rpcproxy.h as stubless proxies need it; its warnings are
 * widl's business. */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include "platform/opcda/opcda_p.c"
#pragma GCC diagnostic pop

#include "platform/opcda/windows/opcda_proxy.h"

static CStdPSFactoryBuffer factoryBuffer;
static const ProxyFileInfo *const proxyFiles[] = {(const ProxyFileInfo *)&opcda_ProxyFileInfo,
                                                  NULL};

ULONG STDMETHODCALLTYPE CStdStubBuffer_Release(IRpcStubBuffer *This) {
  return NdrCStdStubBuffer_Release(This, (IPSFactoryBuffer *)&factoryBuffer);
}

HRESULT OpcdaProxyClassObject(REFCLSID clsid, IUnknown **factory) {
  return NdrDllGetClassObject(clsid, &IID_IUnknown, (void **)factory,
                              (const ProxyFileInfo **)proxyFiles, clsid, &factoryBuffer);
}

unsigned OpcdaProxyInterfaceCount(void) { return opcda_ProxyFileInfo.TableSize; }

const IID *OpcdaProxyInterface(unsigned index) {
  return opcda_ProxyFileInfo.pStubVtblList[index]->header.piid;
}
