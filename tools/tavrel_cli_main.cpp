// tavrel-cli: runs one command against the bridge's TCP API.
#include <cstdio>
#include <string>

#include "platform/net/socket_api.h"
#include "tools/cli_commands.h"
#include "tools/utf8_console.h"

int main(int argc, char** argv) {
  using namespace tavrel;
  const Utf8Console console;
  CliOptions options;
  std::string error;
  if (!ParseCliOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "tavrel-cli: %s\n%s", error.c_str(), kCliUsageText);
    return kCliUsage;
  }
  if (options.help) {
    std::fputs(kCliUsageText, stdout);
    return kCliOk;
  }
  const SocketRuntime sockets;  // a failed start shows in the connection's error
  return RunCliCommand(options, stdout, stderr);
}
