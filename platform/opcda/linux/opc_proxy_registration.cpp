#include "platform/opcda/opc_proxy_registration.h"

namespace tavrel {

// The stand-in runtime calls every object directly: nothing is marshalled.
HRESULT RegisterOpcProxies() { return S_OK; }

}  // namespace tavrel
