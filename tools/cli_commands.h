// The commands of tavrel-cli: one request to the bridge's API and what it prints.
#pragma once

#include <cstdio>

#include "tools/cli_options.h"

namespace tavrel {

// Exit codes of tavrel-cli.
enum CliExit : int {
  kCliOk = 0,
  kCliUsage = 2,
  kCliConnection = 3,  // cannot connect, or the bridge closed the connection
  kCliTimeout = 4,     // no reply in time
  kCliBadReply = 5,    // a reply that cannot be decoded or reports a failure
  kCliNotABridge = 6,  // the peer answered, but not as the bridge's API
};

// Runs the command, printing results to `out` and messages to `err`; returns a CliExit. Every
// failure is one line on `err` that says what went wrong in English, with the bridge's own
// text in quotes: a write the bridge refused (after the "ret1=.. ret2=.." line), a server list,
// browse or store whose reply reports a failure (instead of the document), a project the bridge
// cannot give (an empty reply to get-project), a peer that is not the bridge's API. On Windows
// the caller holds a SocketRuntime (platform/net/socket_api.h).
int RunCliCommand(const CliOptions& options, std::FILE* out, std::FILE* err);

}  // namespace tavrel
