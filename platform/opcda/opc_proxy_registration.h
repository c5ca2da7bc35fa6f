// The proxy/stub that carries the calls of the OPC DA interfaces (opcda.idl) between
// processes: the client's calls to an out-of-process server and the server's call-backs.
#pragma once

#include "platform/com/com_api.h"

namespace tavrel {

// Registers the proxy/stub of every interface of opcda.idl for this process only: its class
// object with CoRegisterClassObject and each interface with CoRegisterPSClsid. Never in the
// registry: on a plant's host the OPC core components own the machine's registration of these
// interfaces, and this process's registration takes precedence for it alone.
//
// The registration is the apartment's: call after CoInitializeEx in every apartment that
// marshals these interfaces (the multithreaded apartment, as the programs use, or a
// single-threaded one); a call where they are registered already does nothing. It lasts as
// long as the apartment. Where the runtime has no process boundary (the Linux
// stand-in calls objects directly), there is nothing to register.
HRESULT RegisterOpcProxies();

}  // namespace tavrel
