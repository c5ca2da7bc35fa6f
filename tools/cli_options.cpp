#include "tools/cli_options.h"

#include <CLI/CLI.hpp>
#include <array>
#include <limits>
#include <string_view>

#include "common/decimal_text.h"

namespace tavrel {

const char kCliUsageText[] =
    "usage: tavrel-cli [--host HOST] [--port PORT] [--timeout MS] [--raw] COMMAND [ARGS]\n"
    "       tavrel-cli --help\n"
    "commands:\n"
    "  config                 configured tags with their handles\n"
    "  snapshot               all values once\n"
    "  watch [--json] [--count N] [--changes]\n"
    "                         all values, then every value the bridge pushes (a server sends a\n"
    "                         tag's value at each update, changed or not); --changes prints a\n"
    "                         pushed value only when its value or quality changed\n"
    "  write HANDLE VALUE     write a value to a tag\n"
    "  servers                OPC servers of the bridge's machine\n"
    "  browse SID CLSID       address space of a server\n"
    "  get-project            the bridge's opc_db.xml\n"
    "  put-project FILE       store FILE as the bridge's opc_db.xml (used at its next start)\n"
    "  ping                   heartbeat\n"
    "Documents and values are UTF-8 on the terminal and in files, GBK with --raw;\n"
    "--json lines are always UTF-8.\n";

namespace {

struct CommandShape {
  const char* name;
  std::vector<const char*> arguments;
};

const std::array<CommandShape, 9> kCommands = {{
    {"config", {}},
    {"snapshot", {}},
    {"watch", {}},
    {"write", {"HANDLE", "VALUE"}},
    {"servers", {}},
    {"browse", {"SID", "CLSID"}},
    {"get-project", {}},
    {"put-project", {"FILE"}},
    {"ping", {}},
}};

// Accepts a decimal number from 0 to the largest long.
const CLI::Validator kNonNegative(
    [](const std::string& text) -> std::string {
      const std::optional<long> value = WholeNumber<long>(text);
      return value && *value >= 0 ? "" : "needs a number";
    },
    "N");

// The message of a parse error, in the words of this program where CLI11's would not name the
// command: what is missing or left over once the command is known.
std::string UsageError(const CLI::App& app, const CLI::ParseError& error) {
  const bool countError = dynamic_cast<const CLI::RequiredError*>(&error) != nullptr ||
                          dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr;
  if (!countError) return error.what();
  const std::vector<std::string> left = app.remaining();
  if (!left.empty() && left.front().starts_with("-")) return "unknown option " + left.front();
  const std::vector<CLI::App*> chosen = app.get_subcommands();
  if (!chosen.empty()) return "wrong number of arguments for " + chosen.front()->get_name();
  return left.empty() ? "no command" : "unknown command " + left.front();
}

}  // namespace

bool ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error) {
  CLI::App app("command-line client of the bridge's API", "tavrel-cli");
  app.set_help_flag("-h,--help");
  app.require_subcommand(1);
  app.fallthrough();  // the options below also follow the command
  long port = options.port;
  long timeoutMs = options.timeout.count();
  app.add_option("--host", options.host);
  app.add_option("--port", port)->check(kNonNegative & CLI::Range(0L, 65535L));
  app.add_option("--timeout", timeoutMs)->check(kNonNegative);
  app.add_flag("--raw", options.raw);
  app.add_flag("--json", options.json);
  app.add_flag("--changes", options.changes);
  app.add_option("--count", options.count)->check(kNonNegative);

  std::array<std::vector<std::string>, kCommands.size()> arguments;
  for (std::size_t i = 0; i < kCommands.size(); ++i) {
    CLI::App* command = app.add_subcommand(kCommands[i].name);
    arguments[i].resize(kCommands[i].arguments.size());
    for (std::size_t a = 0; a < arguments[i].size(); ++a) {
      command->add_option(kCommands[i].arguments[a], arguments[i][a])->required();
    }
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    options.help = true;
    return true;
  } catch (const CLI::ParseError& parseError) {
    error = UsageError(app, parseError);
    return false;
  }
  options.port = static_cast<int>(port);
  options.timeout = std::chrono::milliseconds(timeoutMs);
  for (std::size_t i = 0; i < kCommands.size(); ++i) {
    if (app.got_subcommand(kCommands[i].name)) {
      options.command = kCommands[i].name;
      options.arguments = arguments[i];
    }
  }
  return true;
}

}  // namespace tavrel
