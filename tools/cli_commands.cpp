#include "tools/cli_commands.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "common/code_page.h"
#include "common/decimal_text.h"
#include "common/encoding_detection.h"
#include "common/markup_document.h"
#include "common/markup_file.h"
#include "tools/api_connection.h"
#include "tools/watch_values.h"
#include "wire/push_record.h"

namespace tavrel {

namespace {

using namespace std::chrono_literals;

constexpr int kRequestUid = 1;
constexpr int kSnapshotTt = 0;
constexpr int kConfigurationTt = 1;
constexpr int kStoreProjectTt = 300;
constexpr auto kHeartbeatPeriod = 20s;

// Prints GBK text as the user asked: unchanged, or as UTF-8.
std::string ForTerminal(const CliOptions& options, std::string_view gbk) {
  return options.raw ? std::string(gbk) : AnsiToUtf8(gbk);
}

// A document the user gave, as the bridge needs it (GBK): unchanged with --raw or when it is
// not UTF-8 (a project file as the bridge keeps it), else converted from UTF-8 (a document as
// get-project printed it).
std::string FromTerminal(const CliOptions& options, std::string text) {
  return options.raw || !IsUtf8Text(text) ? text : Utf8ToAnsi(text);
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
                 options_.port, ForTerminal(options_, error).c_str());
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
          if (SaidNotABridge()) return kCliNotABridge;
          std::fprintf(err_, "tavrel-cli: no reply within %lld ms\n",
                       static_cast<long long>(options_.timeout.count()));
          return kCliTimeout;
        case ApiReceive::kClosed:
          if (SaidNotABridge()) return kCliNotABridge;
          std::fprintf(err_, "tavrel-cli: the bridge closed the connection\n");
          return kCliConnection;
        case ApiReceive::kBadFrame:
          std::fprintf(err_, "tavrel-cli: a reply could not be decoded\n");
          return kCliBadReply;
      }
    }
  }

  // True when the peer showed it is no bridge, which is then said.
  bool SaidNotABridge() const {
    const std::string why = connection_->NotABridge();
    if (why.empty()) return false;
    std::fprintf(err_,
                 "tavrel-cli: %s:%d is not the bridge's API (%s); the API port is `port` "
                 "in config.xml, 21215 unless it says otherwise\n",
                 options_.host.c_str(), options_.port, why.c_str());
    return true;
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

// The bridge's own text when a reply document reports a failure: the `error` of its first `t`
// (server list, browse) or the store's "not Successful." message; none otherwise.
std::optional<std::string> ReportedFailure(const std::string& payload) {
  MarkupDocument document(MarkupBuild::kBridge);
  document.SetText(payload);
  if (!document.FindElement("root") || !document.EnterElement() || !document.FindElement("t")) {
    return std::nullopt;
  }
  if (std::string error = document.GetAttribute("error"); !error.empty()) return error;
  if (std::string message = document.GetAttribute("a"); message.ends_with("not Successful.")) {
    return message;
  }
  return std::nullopt;
}

// Prints the reply's document; when it reports a failure, says instead in one line what
// `failed` (as "cannot browse X"), with the bridge's text in quotes.
int PrintDocumentReply(CliSession& session, const std::string& header, int type,
                       std::string_view failed = {}) {
  ApiReply reply;
  const int result = session.Request(header, type, reply);
  if (result != kCliOk) return result;
  if (const std::optional<std::string> failure =
          failed.empty() ? std::nullopt : ReportedFailure(reply.payload)) {
    std::fprintf(session.err(), "tavrel-cli: %.*s: the bridge says \"%s\"\n",
                 static_cast<int>(failed.size()), failed.data(),
                 ForTerminal(session.options(), *failure).c_str());
    return kCliBadReply;
  }
  std::fputs(ForTerminal(session.options(), reply.payload).c_str(), session.out());
  return kCliOk;
}

// What a write's result code means.
std::string_view WriteResultText(std::string_view ret1) {
  if (ret1 == "3") return "no tag has this handle";
  if (ret1 == "1") return "the value was not written to the server";
  return "the bridge reports a failure";
}

int Write(CliSession& session, const std::string& handleText, const std::string& value) {
  const std::optional<long> handle = WholeNumber<long>(handleText);
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
  const std::string ret2 = ForTerminal(session.options(), answer.GetAttribute("ret2"));
  std::fprintf(session.out(), "ret1=%s ret2=%s\n", ret1.c_str(), ret2.c_str());
  if (ret1 == "0") return kCliOk;
  const std::string_view meaning = WriteResultText(ret1);
  std::fprintf(session.err(), "tavrel-cli: handle %ld was not written: %.*s (ret1=%s%s%s%s)\n",
               *handle, static_cast<int>(meaning.size()), meaning.data(), ret1.c_str(),
               ret2.empty() ? "" : ", the bridge says \"", ret2.c_str(), ret2.empty() ? "" : "\"");
  return kCliBadReply;
}

int PutProject(CliSession& session, const std::string& path) {
  std::string bytes;
  std::string readResult;
  MarkupDocument project(MarkupBuild::kBridge);
  if (!ReadFileBytes(path, bytes, readResult) ||
      !project.SetText(FromTerminal(session.options(), std::move(bytes))) ||
      !project.FindElement("root")) {
    std::fprintf(session.err(), "tavrel-cli: %s is not a readable project document\n",
                 path.c_str());
    return kCliUsage;
  }
  project.SetAttribute("uid", kRequestUid);
  project.SetAttribute("type", 1);
  project.SetAttribute("tt", kStoreProjectTt);
  return PrintDocumentReply(session, project.GetText(), 1, "the project was not stored");
}

void PrintValue(const CliSession& session, const WatchValue& value) {
  const CliOptions& options = session.options();
  std::fputs(WatchLine(value, options.json, options.raw).c_str(), session.out());
  std::fflush(session.out());
}

// How JSON shows each tag's values, from the configured tags' VARTYPEs; tags not in `forms`
// are numbers.
int FindWatchForms(CliSession& session, std::map<int, WatchForm>& forms) {
  ApiReply reply;
  const int result = session.Request(RequestHeader(kRequestUid, 1, kConfigurationTt), 1, reply);
  if (result != kCliOk) return result;
  MarkupDocument configuration(MarkupBuild::kBridge);
  configuration.SetText(reply.payload);
  configuration.FindElement("root");
  configuration.EnterElement();
  while (configuration.FindElement("t")) {
    if (const WatchForm form = WatchFormOfVarType(ParseDecimal(configuration.GetAttribute("t")));
        form != WatchForm::kNumber) {
      forms[ParseDecimal(configuration.GetAttribute("h"))] = form;
    }
  }
  return kCliOk;
}

WatchForm FormOf(const std::map<int, WatchForm>& forms, int handle) {
  const auto found = forms.find(handle);
  return found == forms.end() ? WatchForm::kNumber : found->second;
}

// Prints the snapshot's values, remembered in `changes`, and returns each handle's key.
std::map<int, std::string> PrintSnapshot(const CliSession& session, const std::string& payload,
                                         const std::map<int, WatchForm>& forms,
                                         WatchChanges& changes) {
  std::map<int, std::string> keys;
  MarkupDocument snapshot(MarkupBuild::kBridge);
  snapshot.SetText(payload);
  snapshot.FindElement("root");
  snapshot.EnterElement();
  while (snapshot.FindElement("t")) {
    const int handle = ParseDecimal(snapshot.GetAttribute("h"));
    const bool isStatus = snapshot.GetAttribute("k").empty();
    const std::string key = isStatus ? "status" : snapshot.GetAttribute("k");
    keys[handle] = key;
    const std::string ms = snapshot.GetAttribute(isStatus ? "m" : "ms");
    const WatchValue value =
        SnapshotWatchValue(handle, key, snapshot.GetAttribute("v"), FormOf(forms, handle),
                           snapshot.GetAttribute("q") != "0",
                           std::atoll(snapshot.GetAttribute("s").c_str()), ParseDecimal(ms));
    changes.Changed(value);
    PrintValue(session, value);
  }
  return keys;
}

int Watch(CliSession& session) {
  std::map<int, WatchForm> forms;  // JSON only: the tab-separated form prints every value as text
  int result = session.options().json ? FindWatchForms(session, forms) : kCliOk;
  if (result != kCliOk) return result;
  ApiReply reply;
  result = session.Request(RequestHeader(kRequestUid, 1, kSnapshotTt), 1, reply);
  if (result != kCliOk) return result;
  WatchChanges changes;
  std::map<int, std::string> keys = PrintSnapshot(session, reply.payload, forms, changes);

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
      const WatchValue value =
          PushWatchValue(record, keys[record.handle], FormOf(forms, record.handle));
      if (!changes.Changed(value) && session.options().changes) continue;
      PrintValue(session, value);
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

int RunCliCommand(const CliOptions& options, std::FILE* out, std::FILE* err) {
  CliSession session(options, out, err);
  if (const int connected = session.Connect(); connected != kCliOk) return connected;
  const std::string& command = options.command;
  if (command == "config") {
    return PrintDocumentReply(session, RequestHeader(kRequestUid, 1, kConfigurationTt), 1);
  }
  if (command == "snapshot") {
    return PrintDocumentReply(session, RequestHeader(kRequestUid, 1, kSnapshotTt), 1);
  }
  if (command == "watch") return Watch(session);
  if (command == "write") return Write(session, options.arguments[0], options.arguments[1]);
  if (command == "servers")
    return PrintDocumentReply(session, RequestHeader(kRequestUid, 1, 100), 1,
                              "cannot list the OPC servers");
  if (command == "browse") {
    MarkupDocument request(MarkupBuild::kBridge);
    request.SetText(RequestHeader(kRequestUid, 1, 200));
    request.FindElement("root");
    request.SetAttribute("sid", options.arguments[0]);
    request.SetAttribute("clsid", options.arguments[1]);
    const std::string failed = "cannot browse " + options.arguments[0];
    return PrintDocumentReply(session, request.GetText(), 1, failed);
  }
  if (command == "get-project") {
    ApiReply reply;
    const int result = session.Request(RequestHeader(kRequestUid, 1, 400), 1, reply);
    if (result != kCliOk) return result;
    // The bridge answers a project file it cannot load with an empty document.
    if (reply.payload.empty()) {
      std::fputs(
          "tavrel-cli: the bridge has no project to give: its opc_db.xml cannot be "
          "loaded (empty reply)\n",
          err);
      return kCliBadReply;
    }
    std::fputs(ForTerminal(options, reply.payload).c_str(), out);
    return kCliOk;
  }
  if (command == "put-project") return PutProject(session, options.arguments[0]);
  ApiReply reply;  // ping
  const int result = session.Request(RequestHeader(0, 6), 6, reply);
  if (result == kCliOk) std::fputs("pong\n", out);
  return result;
}

}  // namespace tavrel
