// The proxy/stub that carries ISimulationControl (simulation_control.idl) between a test and
// the process that serves the simulated classes.
#pragma once

#include "platform/com/com_api.h"

namespace tavrel::opcsim {

// Registers it for the calling apartment, as RegisterOpcProxies (opc_proxy_registration.h)
// does the OPC interfaces'; nothing to register where the runtime has no process boundary.
HRESULT RegisterSimulationControlProxies();

}  // namespace tavrel::opcsim
