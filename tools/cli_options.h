// The command line of tavrel-cli: global options, one command and its arguments.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "common/program_files.h"

namespace tavrel {

struct CliOptions {
  std::string host = "127.0.0.1";
  int port = kDefaultApiPort;
  std::chrono::milliseconds timeout{10000};
  bool raw = false;      // documents and tab-separated values as GBK bytes instead of UTF-8
  bool json = false;     // watch: one JSON object a line
  long count = -1;       // watch: stop after this many pushed values (-1: never)
  bool changes = false;  // watch: a pushed value only when its value or quality changed
  bool help = false;     // --help was given: print kCliUsageText and run nothing
  std::string command;
  std::vector<std::string> arguments;
};

// Parses the command line. Options may stand before or after the command. False (with a
// message in `error`) on a usage error; --help anywhere sets `help` and succeeds.
bool ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error);

extern const char kCliUsageText[];

}  // namespace tavrel
