// A connection attempt's first steps: where the server runs, its CLSID and its activation.
#pragma once

#include <string>
#include <vector>

#include "bridge/core/project_tree.h"
#include "bridge/opc/engine_log.h"
#include "bridge/opc/server_session.h"

namespace tavrel {

// Activates `server` (remotely, with its credentials when it has any, when IsRemoteNode) and
// answers its IOPCServer interface; null when the attempt ended. The CLSID comes from the ProgID
// when it is registered (the session's CLSID text then follows it), else from the session's
// CLSID text. The lines the attempt logs are appended to `lines`, for the caller to write (a
// failure that repeats is written once a minute: repeated_failure_log.h): the engine's texts,
// and after a failure one more that names the server and the code with its text
// (server_failure_line.h):
//   Server "<name>" (ProgID "<sid>", node "<node>") cannot be created: CoCreateInstance
//   returned 0x800401F3 Invalid class string
ComPtr<IOPCServer> ActivateServer(const ProjectServer& server, ServerSession& session,
                                  const EngineLog& log, std::vector<std::string>& lines);

}  // namespace tavrel
