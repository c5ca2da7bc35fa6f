// The security blanket of a proxy: CoSetProxyBlanket and CoQueryProxyBlanket.
//
// Calls are direct, so the server object stands in for its proxy: an object that lists
// ClientSecurity among its ComObject interfaces answers IClientSecurity and keeps the
// blanket set on it, the identity included (copied, so the caller's buffers may go). A server
// may read that identity back (BlanketIdentity). CoSetProxyBlanket on an object without it
// fails with E_NOINTERFACE, as it does on Windows for an object that is not a proxy.
#pragma once

#include <optional>

#include "common/mutex.h"
#include "common/wide_string.h"
#include "platform/com/auth_identity.h"
#include "platform/com/linux/co_auth_identity.h"
#include "platform/com/linux/unknown.h"

namespace tavrel {

inline constexpr IID IID_IClientSecurity = {
    0x0000013D, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IClientSecurity : public IUnknown {
  STDMETHOD(QueryBlanket)
  (IUnknown* proxy, DWORD* authenticationService, DWORD* authorizationService,
   OLECHAR** serverPrincipalName, DWORD* authenticationLevel, DWORD* impersonationLevel,
   void** authenticationInfo, DWORD* capabilities) PURE;
  STDMETHOD(SetBlanket)
  (IUnknown* proxy, DWORD authenticationService, DWORD authorizationService,
   OLECHAR* serverPrincipalName, DWORD authenticationLevel, DWORD impersonationLevel,
   void* authenticationInfo, DWORD capabilities) PURE;
  STDMETHOD(CopyProxy)(IUnknown* proxy, IUnknown** copy) PURE;
};
COM_INTERFACE_ID(IClientSecurity);

// IClientSecurity for a ComObject: list it as one of the object's interfaces.
class ClientSecurity : public IClientSecurity {
 public:
  // The principal name comes back in task memory (null when none was set); the identity
  // pointer stays owned by the object and valid until the next SetBlanket.
  STDMETHODIMP QueryBlanket(IUnknown* proxy, DWORD* authenticationService,
                            DWORD* authorizationService, OLECHAR** serverPrincipalName,
                            DWORD* authenticationLevel, DWORD* impersonationLevel,
                            void** authenticationInfo, DWORD* capabilities) override;
  // `authenticationInfo` is a COAUTHIDENTITY or null.
  STDMETHODIMP SetBlanket(IUnknown* proxy, DWORD authenticationService, DWORD authorizationService,
                          OLECHAR* serverPrincipalName, DWORD authenticationLevel,
                          DWORD impersonationLevel, void* authenticationInfo,
                          DWORD capabilities) override;
  // There is no proxy to copy: always E_NOTIMPL.
  STDMETHODIMP CopyProxy(IUnknown* proxy, IUnknown** copy) override;

  // The identity of the last blanket set, if it carried one.
  std::optional<AuthIdentity> BlanketIdentity() const;

 protected:
  ClientSecurity() = default;
  ~ClientSecurity() = default;

 private:
  mutable Mutex mutex_;
  DWORD authenticationService_ GUARDED_BY(mutex_) = 0;
  DWORD authorizationService_ GUARDED_BY(mutex_) = 0;
  std::optional<WideString> principalName_ GUARDED_BY(mutex_);
  DWORD authenticationLevel_ GUARDED_BY(mutex_) = 0;
  DWORD impersonationLevel_ GUARDED_BY(mutex_) = 0;
  DWORD capabilities_ GUARDED_BY(mutex_) = 0;
  std::optional<AuthIdentity> identity_ GUARDED_BY(mutex_);
  COAUTHIDENTITY identityView_{};  // points into identity_
};

template <>
struct InterfaceTraits<ClientSecurity> {
  static constexpr const IID& id = IID_IClientSecurity;
};

HRESULT CoSetProxyBlanket(IUnknown* proxy, DWORD authenticationService, DWORD authorizationService,
                          OLECHAR* serverPrincipalName, DWORD authenticationLevel,
                          DWORD impersonationLevel, RPC_AUTH_IDENTITY_HANDLE authenticationInfo,
                          DWORD capabilities);
HRESULT CoQueryProxyBlanket(IUnknown* proxy, DWORD* authenticationService,
                            DWORD* authorizationService, LPOLESTR* serverPrincipalName,
                            DWORD* authenticationLevel, DWORD* impersonationLevel,
                            RPC_AUTH_IDENTITY_HANDLE* authenticationInfo, DWORD* capabilities);

}  // namespace tavrel
