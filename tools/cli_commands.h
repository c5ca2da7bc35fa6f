// The commands of tavrel-cli: one request to the bridge's API and what it prints.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/program_files.h"

// Exit codes of tavrel-cli.
enum CliExit : int {
  kCliOk = 0,
  kCliUsage = 2,
  kCliConnection = 3,  // cannot connect, or the bridge closed the connection
  kCliTimeout = 4,     // no reply in time
  kCliBadReply = 5,    // a reply that cannot be decoded or reports a failure
};

struct CliOptions {
  std::string host = "127.0.0.1";
  int port = kDefaultApiPort;
  std::chrono::milliseconds timeout{10000};
  bool raw = false;   // print documents as GBK bytes instead of UTF-8
  bool json = false;  // watch: one JSON object a line
  long count = -1;    // watch: stop after this many pushed values (-1: never)
  std::string command;
  std::vector<std::string> arguments;
};

// Parses the command line; false (with a message in `error`) on a usage error.
bool ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error);

// Runs the command, printing results to `out` and messages to `err`; returns a CliExit.
int RunCliCommand(const CliOptions& options, std::FILE* out, std::FILE* err);

extern const char kCliUsageText[];
