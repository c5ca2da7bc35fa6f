// What remote activation needs besides the call itself: whether a node names another computer,
// and the explicit identity presented to it in COSERVERINFO and CoSetProxyBlanket.
#pragma once

#include <string>

#include "platform/com/auth_identity.h"
#include "platform/com/com_api.h"

namespace tavrel {

// True when `node` names another computer: not empty and, without regard to case, neither
// "127.0.0.1", "localhost" nor this computer's name.
bool IsRemoteNode(const std::string& node);

// The identity of credentials typed in the system code page (GBK), as UTF-16.
AuthIdentity IdentityFromText(const std::string& user, const std::string& domain,
                              const std::string& password);

// An identity as COAUTHIDENTITY (SEC_WINNT_AUTH_IDENTITY_UNICODE), whose strings live as long
// as this object: keep it alive until the activation and the proxy blanket calls are done.
class ExplicitIdentity {
 public:
  explicit ExplicitIdentity(AuthIdentity identity);
  ExplicitIdentity(const ExplicitIdentity&) = delete;
  ExplicitIdentity& operator=(const ExplicitIdentity&) = delete;
  COAUTHIDENTITY* Get() { return &identity_; }

 private:
  AuthIdentity text_;
  COAUTHIDENTITY identity_{};
};

}  // namespace tavrel
