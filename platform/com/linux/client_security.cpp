#include "platform/com/linux/client_security.h"

#include "platform/com/com_ptr.h"
#include "platform/com/linux/task_memory.h"
#include "platform/com/read_auth_identity.h"
#include "platform/com/task_memory_ptr.h"

namespace tavrel {

namespace {

USHORT* Units(WideString& text) { return reinterpret_cast<USHORT*>(text.data()); }

template <typename T>
void SetIfWanted(T* out, const T& value) {
  if (out != nullptr) *out = value;
}

}  // namespace

STDMETHODIMP ClientSecurity::QueryBlanket(IUnknown* /*proxy*/, DWORD* authenticationService,
                                          DWORD* authorizationService,
                                          OLECHAR** serverPrincipalName, DWORD* authenticationLevel,
                                          DWORD* impersonationLevel, void** authenticationInfo,
                                          DWORD* capabilities) {
  MutexLock lock(mutex_);
  if (serverPrincipalName != nullptr) {
    *serverPrincipalName = principalName_ ? TaskMemStringDuplicate(*principalName_) : nullptr;
    if (principalName_ && *serverPrincipalName == nullptr) return E_OUTOFMEMORY;
  }
  SetIfWanted(authenticationService, authenticationService_);
  SetIfWanted(authorizationService, authorizationService_);
  SetIfWanted(authenticationLevel, authenticationLevel_);
  SetIfWanted(impersonationLevel, impersonationLevel_);
  SetIfWanted(capabilities, capabilities_);
  SetIfWanted(authenticationInfo, identity_ ? static_cast<void*>(&identityView_) : nullptr);
  return S_OK;
}

STDMETHODIMP ClientSecurity::SetBlanket(IUnknown* /*proxy*/, DWORD authenticationService,
                                        DWORD authorizationService, OLECHAR* serverPrincipalName,
                                        DWORD authenticationLevel, DWORD impersonationLevel,
                                        void* authenticationInfo, DWORD capabilities) {
  AuthIdentity identity;
  const bool hasIdentity =
      ReadAuthIdentity(static_cast<const COAUTHIDENTITY*>(authenticationInfo), &identity);
  if (authenticationInfo != nullptr && !hasIdentity) return E_INVALIDARG;
  MutexLock lock(mutex_);
  authenticationService_ = authenticationService;
  authorizationService_ = authorizationService;
  if (serverPrincipalName != nullptr) {
    principalName_ = WideString(serverPrincipalName);
  } else {
    principalName_.reset();
  }
  authenticationLevel_ = authenticationLevel;
  impersonationLevel_ = impersonationLevel;
  capabilities_ = capabilities;
  identity_.reset();
  identityView_ = COAUTHIDENTITY{};
  if (hasIdentity) {
    identity_ = std::move(identity);
    identityView_ = COAUTHIDENTITY{
        Units(identity_->user),         static_cast<ULONG>(identity_->user.size()),
        Units(identity_->domain),       static_cast<ULONG>(identity_->domain.size()),
        Units(identity_->password),     static_cast<ULONG>(identity_->password.size()),
        SEC_WINNT_AUTH_IDENTITY_UNICODE};
  }
  return S_OK;
}

STDMETHODIMP ClientSecurity::CopyProxy(IUnknown* /*proxy*/, IUnknown** copy) {
  if (copy != nullptr) *copy = nullptr;
  return E_NOTIMPL;
}

std::optional<AuthIdentity> ClientSecurity::BlanketIdentity() const {
  MutexLock lock(mutex_);
  return identity_;
}

HRESULT CoSetProxyBlanket(IUnknown* proxy, DWORD authenticationService, DWORD authorizationService,
                          OLECHAR* serverPrincipalName, DWORD authenticationLevel,
                          DWORD impersonationLevel, RPC_AUTH_IDENTITY_HANDLE authenticationInfo,
                          DWORD capabilities) {
  if (proxy == nullptr) return E_INVALIDARG;
  ComPtr<IClientSecurity> security;
  const HRESULT hr =
      proxy->QueryInterface(IID_IClientSecurity, security.ReleaseAndGetVoidAddressOf());
  if (FAILED(hr)) return hr;
  return security->SetBlanket(proxy, authenticationService, authorizationService,
                              serverPrincipalName, authenticationLevel, impersonationLevel,
                              authenticationInfo, capabilities);
}

HRESULT CoQueryProxyBlanket(IUnknown* proxy, DWORD* authenticationService,
                            DWORD* authorizationService, LPOLESTR* serverPrincipalName,
                            DWORD* authenticationLevel, DWORD* impersonationLevel,
                            RPC_AUTH_IDENTITY_HANDLE* authenticationInfo, DWORD* capabilities) {
  if (proxy == nullptr) return E_INVALIDARG;
  ComPtr<IClientSecurity> security;
  const HRESULT hr =
      proxy->QueryInterface(IID_IClientSecurity, security.ReleaseAndGetVoidAddressOf());
  if (FAILED(hr)) return hr;
  return security->QueryBlanket(proxy, authenticationService, authorizationService,
                                serverPrincipalName, authenticationLevel, impersonationLevel,
                                authenticationInfo, capabilities);
}

}  // namespace tavrel
