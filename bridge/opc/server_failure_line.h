// The line that names the server a failed call concerns, and why it failed:
//   Server "<name>" (ProgID "<sid>", node "<node>") <failure>: <call> returned 0x80070005
//   <the system's text for the code>
// The engine's older lines ("CoCreateInstanceEx: Error") name neither the server nor the
// code; this one makes a first run against a server on another host diagnosable from the log.
#pragma once

#include <string>
#include <string_view>

#include "bridge/core/project_tree.h"
#include "bridge/opc/engine_log.h"

namespace tavrel {

std::string ServerFailureLine(const ProjectServer& server, std::string_view failure,
                              std::string_view call, HRESULT hr, const EngineLog& log);

}  // namespace tavrel
