// A connection attempt's first steps: where the server runs, its CLSID and its activation.
#pragma once

#include "bridge/core/project_tree.h"
#include "bridge/opc/engine_log.h"
#include "bridge/opc/server_session.h"

namespace tavrel {

// Activates `server` (remotely, with its credentials when it has any, when IsRemoteNode) and
// answers its IOPCServer interface; null when the attempt ended, which is logged. The CLSID comes
// from the ProgID when it is registered (the session's CLSID text then follows it), else from the
// session's CLSID text.
ComPtr<IOPCServer> ActivateServer(const ProjectServer& server, ServerSession& session,
                                  const EngineLog& log);

}  // namespace tavrel
