// COM initialisation and object activation.
//
// The process has one apartment, the multithreaded one: CoInitializeEx enters it on the
// calling thread, and once any thread has entered it every thread may activate and call
// objects (as Windows' implicit multithreaded apartment allows). Activation before any
// thread has entered it fails with CO_E_NOTINITIALIZED. Objects are called directly, without
// proxies.
//
// Activation goes through the process's ClassRegistry: CoCreateInstance creates on this
// computer; CoCreateInstanceEx creates on the node its COSERVERINFO names, presenting the
// identity of its COAUTHINFO. A node that names this computer activates locally. Aggregation
// is not offered (CLASS_E_NOAGGREGATION).
#pragma once

#include "platform/com/linux/co_auth_identity.h"
#include "platform/com/linux/guid.h"
#include "platform/com/linux/hresult.h"
#include "platform/com/linux/unknown.h"

namespace tavrel {

inline constexpr DWORD COINIT_MULTITHREADED = 0x0;
inline constexpr DWORD COINIT_APARTMENTTHREADED = 0x2;
inline constexpr DWORD COINIT_DISABLE_OLE1DDE = 0x4;
inline constexpr DWORD COINIT_SPEED_OVER_MEMORY = 0x8;

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr DWORD CLSCTX_INPROC = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;
inline constexpr DWORD CLSCTX_SERVER =
    CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
inline constexpr DWORD CLSCTX_ALL =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

inline constexpr DWORD RPC_C_AUTHN_NONE = 0;
inline constexpr DWORD RPC_C_AUTHN_WINNT = 10;
inline constexpr DWORD RPC_C_AUTHN_DEFAULT = 0xFFFFFFFF;
inline constexpr DWORD RPC_C_AUTHZ_NONE = 0;
inline constexpr DWORD RPC_C_AUTHZ_DEFAULT = 0xFFFFFFFF;
inline constexpr DWORD RPC_C_AUTHN_LEVEL_DEFAULT = 0;
inline constexpr DWORD RPC_C_AUTHN_LEVEL_NONE = 1;
inline constexpr DWORD RPC_C_AUTHN_LEVEL_CONNECT = 2;
inline constexpr DWORD RPC_C_AUTHN_LEVEL_CALL = 3;
inline constexpr DWORD RPC_C_AUTHN_LEVEL_PKT = 4;
inline constexpr DWORD RPC_C_AUTHN_LEVEL_PKT_INTEGRITY = 5;
inline constexpr DWORD RPC_C_AUTHN_LEVEL_PKT_PRIVACY = 6;
inline constexpr DWORD RPC_C_IMP_LEVEL_DEFAULT = 0;
inline constexpr DWORD RPC_C_IMP_LEVEL_ANONYMOUS = 1;
inline constexpr DWORD RPC_C_IMP_LEVEL_IDENTIFY = 2;
inline constexpr DWORD RPC_C_IMP_LEVEL_IMPERSONATE = 3;
inline constexpr DWORD RPC_C_IMP_LEVEL_DELEGATE = 4;
inline constexpr DWORD EOAC_NONE = 0;

struct COAUTHINFO {
  DWORD dwAuthnSvc;
  DWORD dwAuthzSvc;
  LPWSTR pwszServerPrincName;
  DWORD dwAuthnLevel;
  DWORD dwImpersonationLevel;
  COAUTHIDENTITY* pAuthIdentityData;
  DWORD dwCapabilities;
};

struct COSERVERINFO {
  DWORD dwReserved1;
  LPWSTR pwszName;  // the node; null or empty for this computer
  COAUTHINFO* pAuthInfo;
  DWORD dwReserved2;
};

struct MULTI_QI {
  const IID* pIID;
  IUnknown* pItf;
  HRESULT hr;
};

using PSECURITY_DESCRIPTOR = void*;
struct SOLE_AUTHENTICATION_SERVICE;

// S_OK when the calling thread enters the apartment, S_FALSE when it already had (each call
// must be balanced by CoUninitialize). Every concurrency model is accepted and served by the
// one multithreaded apartment.
HRESULT CoInitializeEx(LPVOID reserved, DWORD concurrencyModel);
void CoUninitialize();
// Accepted once per process (RPC_E_TOO_LATE afterwards) and otherwise without effect: this
// runtime has no transport to secure.
HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR securityDescriptor, LONG authenticationServices,
                             SOLE_AUTHENTICATION_SERVICE* services, void* reserved1,
                             DWORD authenticationLevel, DWORD impersonationLevel,
                             void* authenticationList, DWORD capabilities, void* reserved3);

// Creates an object of class `clsid` on this computer and returns its `iid` interface.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                         LPVOID* object);
// Creates an object on the node of `serverInfo` (null: this computer) and queries it for each
// of the `count` interfaces in `results`. Returns S_OK when every query succeeded,
// CO_S_NOTALLINTERFACES when some did, E_NOINTERFACE when none did; when the activation
// itself fails, its error is returned and set in every result. A remote node is reached only
// when `context` includes CLSCTX_REMOTE_SERVER; see ClassRegistry::CreateObject for the
// failures of remote activation.
HRESULT CoCreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* serverInfo,
                           DWORD count, MULTI_QI* results);

// The CLSID of the class with this ProgID on this computer; CO_E_CLASSSTRING when there is
// none (ProgIDs are compared without regard to case).
HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid);
// The ProgID of class `clsid` on this computer in task memory; REGDB_E_CLASSNOTREG when
// there is no such class.
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId);

}  // namespace tavrel
