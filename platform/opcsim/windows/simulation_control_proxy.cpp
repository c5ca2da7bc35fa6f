#include "platform/opcsim/simulation_control_proxy.h"

#include "platform/com/windows/proxy_stub.h"

namespace tavrel {
extern "C" const ProxyStub simulation_control_ProxyStub;  // compiled from simulation_control.idl
}  // namespace tavrel

namespace tavrel::opcsim {

namespace {

constexpr CLSID kSimulationControlProxyClsid = {
    0x50583853, 0x0D34, 0x44DE, {0xAE, 0x0A, 0xF7, 0x2A, 0x3E, 0x34, 0x0C, 0xBE}};

}  // namespace

HRESULT RegisterSimulationControlProxies() {
  return RegisterProxyStub(simulation_control_ProxyStub, kSimulationControlProxyClsid);
}

}  // namespace tavrel::opcsim
