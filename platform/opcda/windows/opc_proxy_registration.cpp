#include "platform/opcda/opc_proxy_registration.h"

#include "platform/com/windows/proxy_stub.h"

namespace tavrel {

extern "C" const ProxyStub opcda_ProxyStub;  // compiled from opcda.idl

namespace {

// The class of the proxy/stub factory, ours alone: the process's registration never meets the
// class that a machine-wide installation of these interfaces registers.
constexpr CLSID kOpcProxyClsid = {
    0xE0CBB0C3, 0xE049, 0x41E9, {0x82, 0x59, 0x3D, 0xD5, 0xF9, 0x24, 0xCA, 0xB7}};

}  // namespace

HRESULT RegisterOpcProxies() { return RegisterProxyStub(opcda_ProxyStub, kOpcProxyClsid); }

}  // namespace tavrel
