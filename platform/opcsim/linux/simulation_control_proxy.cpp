#include "platform/opcsim/simulation_control_proxy.h"

namespace tavrel::opcsim {

// The stand-in runtime calls every object directly: nothing is marshalled.
HRESULT RegisterSimulationControlProxies() { return S_OK; }

}  // namespace tavrel::opcsim
