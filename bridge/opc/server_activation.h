// A connection attempt's first steps: where the server runs, its CLSID and its activation.
#pragma once

#include "bridge/core/project_tree.h"
#include "bridge/opc/engine_log.h"
#include "bridge/opc/server_session.h"
#include "platform/com/auth_identity.h"
#include "common/wide_string.h"

// True when `node` names another computer: not empty and, without regard to case, neither
// "127.0.0.1", "localhost" nor this computer's name.
bool IsRemoteNode(const std::string& node);

// The identity of a server's credentials for COSERVERINFO and CoSetProxyBlanket, as UTF-16
// strings that live as long as this object.
class ExplicitIdentity {
 public:
  explicit ExplicitIdentity(const ServerCredentials& credentials);
  ExplicitIdentity(const ExplicitIdentity&) = delete;
  ExplicitIdentity& operator=(const ExplicitIdentity&) = delete;
  COAUTHIDENTITY* Get() { return &identity_; }

 private:
  WideString user_, domain_, password_;
  COAUTHIDENTITY identity_{};
};

// Activates `server` (remotely, with its credentials when it has any, when IsRemoteNode) and
// answers its IOPCServer interface; null when the attempt ended, which is logged. The CLSID comes
// from the ProgID when it is registered (the session's CLSID text then follows it), else from the
// session's CLSID text.
ComPtr<IOPCServer> ActivateServer(const ProjectServer& server, ServerSession& session,
                                  const EngineLog& log);
