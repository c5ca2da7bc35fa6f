/* The proxy/stub of opcda.idl as opcda_proxy.c builds it into the program. */
#pragma once

#include <objbase.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The proxy/stub's factory object under `clsid` (one reference). */
HRESULT OpcdaProxyClassObject(REFCLSID clsid, IUnknown** factory);

/* The interfaces it carries, by index below the count. */
unsigned OpcdaProxyInterfaceCount(void);
const IID* OpcdaProxyInterface(unsigned index);

#ifdef __cplusplus
}
#endif
