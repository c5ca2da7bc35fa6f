#include "tools/cli_commands.h"

#include <charconv>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "common/code_page.h"
#include "common/log_time.h"
#include "common/markup_document.h"
#include "tools/api_connection.h"
#include "wire/push_record.h"

const char kCliUsageText[] =
    "usage: tavrel-cli [--host HOST] [--port PORT] [--timeout MS] [--raw] COMMAND [ARGS]\n"
    "commands:\n"
    "  config                 configured tags with their handles\n"
    "  snapshot               all values once\n"
    "  watch [--json] [--count N]   all values, then every change as it arrives\n"
    "  write HANDLE VALUE     write a value to a tag\n"
    "  servers                OPC servers of the bridge's machine\n"
    "  browse SID CLSID       address space of a server\n"
    "  get-project            the bridge's opc_db.xml\n"
    "  put-project FILE       store FILE as the bridge's opc_db.xml (used at its next start)\n"
    "  ping                   heartbeat\n";

namespace {

using namespace std::chrono_literals;

constexpr int kRequestUid = 1;
constexpr int kSnapshotTt = 0;
constexpr auto kHeartbeatPeriod = 20s;

struct CommandShape {
  int minArguments;
  int maxArguments;
};

const std::map<std::string, CommandShape, std::less<>> kCommands = {
    {"config", {0, 0}},      {"snapshot", {0, 0}},    {"watch", {0, 0}},
    {"write", {2, 2}},       {"servers", {0, 0}},     {"browse", {2, 2}},
    {"get-project", {0, 0}}, {"put-project", {1, 1}}, {"ping", {0, 0}},
};

std::optional<long> ParseNumber(std::string_view text) {
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Prints GBK text as the user asked: unchanged, or as UTF-8.
std::string ForTerminal(const CliOptions& options, std::string_view gbk) {
  return options.raw ? std::string(gbk) : AnsiToUtf8(gbk);
}

std::string JsonString(std::string_view utf8) {
  std::string json = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"':
        json += "\\\"";
        break;
      case '\\':
        json += "\\\\";
        break;
      case '\n':
        json += "\\n";
        break;
      case '\r':
        json += "\\r";
        break;
      case '\t':
        json += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          json += escaped;
        } else {
          json += c;
        }
    }
  }
  return json + "\"";
}

// A connection with the command's error reporting.
class CliSession {
 public:
  CliSession(const CliOptions& options, std::FILE* out, std::FILE* err)
      : options_(options), out_(out), err_(err) {}

  int Connect() {
    std::string error;
    connection_ = ApiConnection::Connect(options_.host, options_.port, options_.timeout, error);
    if (connection_) return kCliOk;
    std::fprintf(err_, "tavrel-cli: cannot connect to %s:%d: %s\n", options_.host.c_str(),
                 options_.port, error.c_str());
    return kCliConnection;
  }

  // Sends `header` and waits for the reply of `type` (other frames, such as pushes, are
  // skipped). Returns a CliExit.
  int Request(const std::string& header, int type, ApiReply& reply) {
    if (!connection_->SendRequest(header)) {
      std::fprintf(err_, "tavrel-cli: the connection failed while sending\n");
      return kCliConnection;
    }
    return AwaitReply(type, reply);
  }

  int AwaitReply(int type, ApiReply& reply) {
    while (true) {
      switch (connection_->Receive(reply, options_.timeout)) {
        case ApiReceive::kFrame:
          if (reply.type == type) return kCliOk;
          continue;
        case ApiReceive::kTimeout:
          std::fprintf(err_, "tavrel-cli: no reply within %lld ms\n",
                       static_cast<long long>(options_.timeout.count()));
          return kCliTimeout;
        case ApiReceive::kClosed:
          std::fprintf(err_, "tavrel-cli: the bridge closed the connection\n");
          return kCliConnection;
        case ApiReceive::kBadFrame:
          std::fprintf(err_, "tavrel-cli: a reply could not be decoded\n");
          return kCliBadReply;
      }
    }
  }

  ApiConnection& connection() { return *connection_; }
  const CliOptions& options() const { return options_; }
  std::FILE* out() const { return out_; }
  std::FILE* err() const { return err_; }

 private:
  const CliOptions& options_;
  std::FILE* out_;
  std::FILE* err_;
  std::unique_ptr<ApiConnection> connection_;
};

int PrintDocumentReply(CliSession& session, const std::string& header, int type) {
  ApiReply reply;
  const int result = session.Request(header, type, reply);
  if (result != kCliOk) return result;
  std::fputs(ForTerminal(session.options(), reply.payload).c_str(), session.out());
  return kCliOk;
}

int Write(CliSession& session, const std::string& handleText, const std::string& value) {
  const std::optional<long> handle = ParseNumber(handleText);
  if (!handle) {
    std::fprintf(session.err(), "tavrel-cli: HANDLE must be a number\n");
    return kCliUsage;
  }
  const std::string request = WriteRequestHeader(kRequestUid, static_cast<int>(*handle),
                                                 session.options().raw ? value : Utf8ToAnsi(value));
  ApiReply reply;
  const int result = session.Request(request, 5, reply);
  if (result != kCliOk) return result;
  MarkupDocument answer(MarkupBuild::kBridge);
  answer.SetText(reply.header);
  answer.FindElement("root");
  answer.EnterElement();
  if (!answer.FindElement("base")) return kCliBadReply;
  const std::string ret1 = answer.GetAttribute("ret1");
  std::fprintf(session.out(), "ret1=%s ret2=%s\n", ret1.c_str(),
               ForTerminal(session.options(), answer.GetAttribute("ret2")).c_str());
  return ret1 == "0" ? kCliOk : kCliBadReply;
}

int PutProject(CliSession& session, const std::string& path) {
  MarkupDocument project(MarkupBuild::kBridge);
  if (!project.LoadFile(path) || !project.FindElement("root")) {
    std::fprintf(session.err(), "tavrel-cli: %s is not a readable project document\n",
                 path.c_str());
    return kCliUsage;
  }
  project.SetAttribute("uid", kRequestUid);
  project.SetAttribute("type", 1);
  project.SetAttribute("tt", 300);
  return PrintDocumentReply(session, project.GetText(), 1);
}

// Prints one value line of `watch`.
void PrintValue(const CliSession& session, int handle, const std::string& key,
                const std::string& value, bool bad, std::int64_t seconds, int milliseconds,
                bool numeric) {
  const std::string time = FormatTagTime(seconds, milliseconds);
  const std::string keyText = ForTerminal(session.options(), key);
  const std::string valueText = ForTerminal(session.options(), value);
  if (session.options().json) {
    std::fprintf(session.out(),
                 "{\"handle\":%d,\"key\":%s,\"value\":%s,\"quality\":\"%s\",\"time\":%s}\n", handle,
                 JsonString(keyText).c_str(),
                 numeric ? valueText.c_str() : JsonString(valueText).c_str(), bad ? "bad" : "good",
                 JsonString(time).c_str());
  } else {
    std::fprintf(session.out(), "%d\t%s\t%s\t%s\t%s\n", handle, keyText.c_str(), valueText.c_str(),
                 bad ? "bad" : "good", time.c_str());
  }
  std::fflush(session.out());
}

std::string PushValueText(const PushRecord& record) {
  switch (record.valueClass) {
    case 1: {
      char text[64];
      std::snprintf(text, sizeof text, "%f", record.real);
      return text;
    }
    case 4:
      return std::string(record.text);
    default:
      return std::to_string(record.integer);
  }
}

int Watch(CliSession& session) {
  ApiReply reply;
  int result = session.Request(RequestHeader(kRequestUid, 1, kSnapshotTt), 1, reply);
  if (result != kCliOk) return result;

  std::map<int, std::string> keys;
  MarkupDocument snapshot(MarkupBuild::kBridge);
  snapshot.SetText(reply.payload);
  snapshot.FindElement("root");
  snapshot.EnterElement();
  while (snapshot.FindElement("t")) {
    const int handle = std::atoi(snapshot.GetAttribute("h").c_str());
    const bool isStatus = snapshot.GetAttribute("k").empty();
    const std::string key = isStatus ? "status" : snapshot.GetAttribute("k");
    keys[handle] = key;
    const std::string ms = snapshot.GetAttribute(isStatus ? "m" : "ms");
    PrintValue(session, handle, key, snapshot.GetAttribute("v"), snapshot.GetAttribute("q") != "0",
               std::atoll(snapshot.GetAttribute("s").c_str()), std::atoi(ms.c_str()), true);
  }

  long printed = 0;
  auto nextHeartbeat = std::chrono::steady_clock::now() + kHeartbeatPeriod;
  while (session.options().count < 0 || printed < session.options().count) {
    if (std::chrono::steady_clock::now() >= nextHeartbeat) {
      if (!session.connection().SendRequest(RequestHeader(0, 6))) return kCliConnection;
      nextHeartbeat += kHeartbeatPeriod;
    }
    switch (session.connection().Receive(reply, 1s)) {
      case ApiReceive::kTimeout:
        continue;
      case ApiReceive::kClosed:
        std::fprintf(session.err(), "tavrel-cli: the bridge closed the connection\n");
        return kCliConnection;
      case ApiReceive::kBadFrame:
        std::fprintf(session.err(), "tavrel-cli: a push could not be decoded\n");
        return kCliBadReply;
      case ApiReceive::kFrame:
        break;
    }
    if (reply.type != 4) continue;
    std::vector<PushRecord> records;
    const bool whole = ReadPushRecords(reply.payload, records);
    for (const PushRecord& record : records) {
      if (session.options().count >= 0 && printed >= session.options().count) break;
      PrintValue(session, record.handle, keys[record.handle], PushValueText(record), record.bad,
                 record.seconds, record.milliseconds, record.valueClass != 4);
      ++printed;
    }
    if (!whole) {
      std::fprintf(session.err(), "tavrel-cli: a push frame ends inside a record\n");
      return kCliBadReply;
    }
  }
  return result;
}

}  // namespace

bool ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--host" && hasValue) {
      options.host = argv[++i];
    } else if ((argument == "--port" || argument == "--timeout" || argument == "--count") &&
               hasValue) {
      const std::optional<long> number = ParseNumber(argv[++i]);
      if (!number || *number < 0) {
        error = std::string(argument) + " needs a number";
        return false;
      }
      if (argument == "--port") options.port = static_cast<int>(*number);
      if (argument == "--timeout") options.timeout = std::chrono::milliseconds(*number);
      if (argument == "--count") options.count = *number;
    } else if (argument == "--raw") {
      options.raw = true;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument.starts_with("--")) {
      error = "unknown option " + std::string(argument);
      return false;
    } else if (options.command.empty()) {
      options.command = argument;
    } else {
      options.arguments.emplace_back(argument);
    }
  }
  const auto command = kCommands.find(options.command);
  if (command == kCommands.end()) {
    error = options.command.empty() ? "no command" : "unknown command " + options.command;
    return false;
  }
  const auto count = static_cast<int>(options.arguments.size());
  if (count < command->second.minArguments || count > command->second.maxArguments) {
    error = "wrong number of arguments for " + options.command;
    return false;
  }
  return true;
}

int RunCliCommand(const CliOptions& options, std::FILE* out, std::FILE* err) {
  CliSession session(options, out, err);
  if (const int connected = session.Connect(); connected != kCliOk) return connected;
  const std::string& command = options.command;
  if (command == "config") return PrintDocumentReply(session, RequestHeader(kRequestUid, 1, 1), 1);
  if (command == "snapshot") {
    return PrintDocumentReply(session, RequestHeader(kRequestUid, 1, kSnapshotTt), 1);
  }
  if (command == "watch") return Watch(session);
  if (command == "write") return Write(session, options.arguments[0], options.arguments[1]);
  if (command == "servers")
    return PrintDocumentReply(session, RequestHeader(kRequestUid, 1, 100), 1);
  if (command == "browse") {
    MarkupDocument request(MarkupBuild::kBridge);
    request.SetText(RequestHeader(kRequestUid, 1, 200));
    request.FindElement("root");
    request.SetAttribute("sid", options.arguments[0]);
    request.SetAttribute("clsid", options.arguments[1]);
    return PrintDocumentReply(session, request.GetText(), 1);
  }
  if (command == "get-project") {
    return PrintDocumentReply(session, RequestHeader(kRequestUid, 1, 400), 1);
  }
  if (command == "put-project") return PutProject(session, options.arguments[0]);
  ApiReply reply;  // ping
  const int result = session.Request(RequestHeader(0, 6), 6, reply);
  if (result == kCliOk) std::fputs("pong\n", out);
  return result;
}
