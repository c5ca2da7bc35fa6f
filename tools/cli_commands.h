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
};

// Runs the command, printing results to `out` and messages to `err`; returns a CliExit.
int RunCliCommand(const CliOptions& options, std::FILE* out, std::FILE* err);

}  // namespace tavrel
