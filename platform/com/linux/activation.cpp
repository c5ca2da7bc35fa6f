#include "platform/com/linux/activation.h"

#include <atomic>
#include <string>

#include "common/code_page.h"
#include "common/wide_string.h"
#include "platform/com/com_ptr.h"
#include "platform/com/linux/class_registry.h"
#include "platform/com/linux/task_memory.h"
#include "platform/com/read_auth_identity.h"
#include "platform/com/task_memory_ptr.h"

namespace tavrel {

namespace {

// Threads that have entered the apartment, and how often the calling thread has.
std::atomic<int> threadsInApartment{0};
thread_local int initializationsOfThisThread = 0;
std::atomic<bool> securityInitialized{false};

bool IsApartmentEntered() { return threadsInApartment.load() > 0; }

std::string NarrowText(LPCOLESTR text) {
  return text == nullptr ? std::string()
                         : WideToAnsi(WideStringView(text, std::char_traits<WCHAR>::length(text)));
}

}  // namespace

HRESULT CoInitializeEx(LPVOID /*reserved*/, DWORD /*concurrencyModel*/) {
  if (initializationsOfThisThread++ > 0) return S_FALSE;
  threadsInApartment.fetch_add(1);
  return S_OK;
}

void CoUninitialize() {
  if (initializationsOfThisThread == 0) return;
  if (--initializationsOfThisThread == 0) threadsInApartment.fetch_sub(1);
}

HRESULT CoInitializeSecurity(PSECURITY_DESCRIPTOR, LONG, SOLE_AUTHENTICATION_SERVICE*, void*, DWORD,
                             DWORD, void*, DWORD, void*) {
  if (!IsApartmentEntered()) return CO_E_NOTINITIALIZED;
  return securityInitialized.exchange(true) ? RPC_E_TOO_LATE : S_OK;
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                         LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (context == 0) return E_INVALIDARG;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  if (!IsApartmentEntered()) return CO_E_NOTINITIALIZED;
  return ClassRegistry::Instance().CreateObject(clsid, std::string(), nullptr, iid, object);
}

HRESULT CoCreateInstanceEx(REFCLSID clsid, IUnknown* outer, DWORD context, COSERVERINFO* serverInfo,
                           DWORD count, MULTI_QI* results) {
  if (count == 0 || results == nullptr) return E_INVALIDARG;
  const auto failAll = [&](HRESULT hr) {
    for (DWORD i = 0; i < count; ++i) {
      results[i].pItf = nullptr;
      results[i].hr = hr;
    }
    return hr;
  };
  if (context == 0) return failAll(E_INVALIDARG);
  if (outer != nullptr) return failAll(CLASS_E_NOAGGREGATION);
  if (!IsApartmentEntered()) return failAll(CO_E_NOTINITIALIZED);

  std::string node;
  AuthIdentity identity;
  const AuthIdentity* presented = nullptr;
  if (serverInfo != nullptr && (context & CLSCTX_REMOTE_SERVER)) {
    node = NarrowText(serverInfo->pwszName);
    const COAUTHINFO* authInfo = serverInfo->pAuthInfo;
    if (authInfo != nullptr && ReadAuthIdentity(authInfo->pAuthIdentityData, &identity)) {
      presented = &identity;
    }
  }
  ComPtr<IUnknown> object;
  const HRESULT hr = ClassRegistry::Instance().CreateObject(clsid, node, presented, IID_IUnknown,
                                                            object.ReleaseAndGetVoidAddressOf());
  if (FAILED(hr)) return failAll(hr);
  if (!object) return failAll(E_NOINTERFACE);

  DWORD succeeded = 0;
  for (DWORD i = 0; i < count; ++i) {
    results[i].pItf = nullptr;
    results[i].hr =
        results[i].pIID == nullptr
            ? E_INVALIDARG
            : object->QueryInterface(*results[i].pIID, reinterpret_cast<void**>(&results[i].pItf));
    if (SUCCEEDED(results[i].hr)) ++succeeded;
  }
  if (succeeded == count) return S_OK;
  return succeeded == 0 ? E_NOINTERFACE : CO_S_NOTALLINTERFACES;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, LPCLSID clsid) {
  if (progId == nullptr || clsid == nullptr) return E_INVALIDARG;
  *clsid = CLSID_NULL;
  const auto found = ClassRegistry::Instance().FindByProgId(NarrowText(progId), std::string());
  if (!found) return CO_E_CLASSSTRING;
  *clsid = found->clsid;
  return S_OK;
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId) {
  if (progId == nullptr) return E_INVALIDARG;
  *progId = nullptr;
  const auto found = ClassRegistry::Instance().FindByClsid(clsid, std::string());
  if (!found) return REGDB_E_CLASSNOTREG;
  *progId = TaskMemStringDuplicate(AnsiToWide(found->progId));
  return *progId != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace tavrel
