// For tests: a command of tavrel-cli run in this process, its standard output kept as text.
#pragma once

#include <cstdio>
#include <string>

#include "tools/cli_commands.h"

namespace tavrel {

// Runs `options` as the program would, with errors to this process's standard error; returns
// the exit code and sets `output` to everything the command printed.
inline int RunCliCommandCapturing(const CliOptions& options, std::string& output) {
  std::FILE* out = std::tmpfile();
  const int result = RunCliCommand(options, out, stderr);
  std::rewind(out);
  output.clear();
  for (int c; (c = std::fgetc(out)) != EOF;) output += static_cast<char>(c);
  std::fclose(out);
  return result;
}

}  // namespace tavrel
