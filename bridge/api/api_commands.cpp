#include "bridge/api/api_commands.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "bridge/core/variant_text.h"
#include "bridge/opc/body_document.h"
#include "bridge/opc/body_element_list.h"
#include "bridge/opc/server_discovery.h"
#include "bridge/opc/server_tag_browse.h"
#include "common/decimal_text.h"
#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "common/markup_file.h"
#include "common/project_file.h"
#include "wire/api_frame.h"

namespace tavrel {

namespace {

constexpr int kQueryType = 1;
constexpr int kWriteType = 5;
constexpr int kHeartbeatType = 6;

constexpr int kConfigurationTt = 1;
constexpr int kServerListTt = 100;
constexpr int kServerTagsTt = 200;
constexpr int kStoreProjectTt = 300;
constexpr int kReadProjectTt = 400;
constexpr int kTestFrameTt = 500;

// The requests told apart in tavrel_api_requests_total, and their `request` labels.
enum RequestKind : std::size_t {
  kConfigurationRequest,
  kServerListRequest,
  kServerTagsRequest,
  kStoreProjectRequest,
  kReadProjectRequest,
  kTestFrameRequest,
  kSnapshotRequest,
  kWriteRequest,
  kHeartbeatRequest,
  kOtherRequest,
  kRequestKinds
};
constexpr std::array<std::string_view, kRequestKinds> kRequestLabels = {
    "configuration", "server_list", "server_tags", "store_project", "read_project",
    "test_frame",    "snapshot",    "write",       "heartbeat",     "other"};

RequestKind KindOf(int type, int tt) {
  if (type == kWriteType) return kWriteRequest;
  if (type == kHeartbeatType) return kHeartbeatRequest;
  if (type != kQueryType) return kOtherRequest;
  switch (tt) {
    case kConfigurationTt:
      return kConfigurationRequest;
    case kServerListTt:
      return kServerListRequest;
    case kServerTagsTt:
      return kServerTagsRequest;
    case kStoreProjectTt:
      return kStoreProjectRequest;
    case kReadProjectTt:
      return kReadProjectRequest;
    case kTestFrameTt:
      return kTestFrameRequest;
    default:
      return kSnapshotRequest;
  }
}

// A reply header: root with `ver` 0 and `type`; the caller adds the command's attributes.
MarkupDocument ReplyHeader(int type) {
  MarkupDocument header(MarkupBuild::kBridge);
  header.SetText(kGbkDeclaration);
  header.AddElement("root");
  header.SetAttribute("ver", 0);
  header.SetAttribute("type", type);
  return header;
}

// Sends a type 1 reply with `payload`; `tt` is echoed when given.
void ReplyDocument(ApiServer& server, ApiClient& client, int uid, std::optional<int> tt,
                   const std::string& payload) {
  const int mode = BodyModeFor(payload.size());
  MarkupDocument reply = ReplyHeader(kQueryType);
  reply.SetAttribute("flag", mode);
  if (tt) reply.SetAttribute("tt", *tt);
  reply.SetAttribute("uid", uid);
  server.SendFrame(client, reply.GetText(), payload, mode);
}

// True when `text` holds a number by the atoi rules (white space, a sign, then a digit), or is
// empty, as a missing attribute reads: "abc" names no handle, and must not write to handle 0.
bool IsDecimalOrEmpty(std::string_view text) {
  std::size_t at = text.find_first_not_of(" \t\n\v\f\r");
  if (at == std::string_view::npos) return text.empty();
  if (text[at] == '+' || text[at] == '-') ++at;
  return at < text.size() && text[at] >= '0' && text[at] <= '9';
}

std::string Format(const char* format, std::size_t size) {
  char text[128];
  std::snprintf(text, sizeof text, format, static_cast<int>(size));
  return text;
}

}  // namespace

ApiCommands::ApiCommands(ApiServer& server, BridgeRuntime& runtime, WallClock clock)
    : server_(server), runtime_(runtime), clock_(std::move(clock)) {
  for (const std::string_view label : kRequestLabels) {
    requestCounters_.push_back(&runtime.Metrics().Counter("tavrel_api_requests_total",
                                                          "API requests received, by request.",
                                                          {{"request", std::string(label)}}));
  }
}

void ApiCommands::HandleRequest(ApiClient& client, MarkupDocument& request) {
  if (!request.FindElement("root")) {
    runtime_.Log().LogMessage(kUndecodableFrameText, 0);
    return;
  }
  client.IdleTimer().Restart(true);
  const Request header{ParseDecimal(request.GetAttribute("uid")),
                       ParseDecimal(request.GetAttribute("type")),
                       ParseDecimal(request.GetAttribute("tt"))};
  requestCounters_[KindOf(header.type, header.tt)]->Increment();
  switch (header.type) {
    case kQueryType:
      Query(client, request, header);
      break;
    case kWriteType:
      Write(client, request);
      break;
    case kHeartbeatType: {
      MarkupDocument reply = ReplyHeader(kHeartbeatType);
      reply.SetAttribute("uid", 0);
      reply.SetAttribute("flag", kBodyNone);
      server_.SendFrame(client, reply.GetText(), {}, kBodyNone);
      break;
    }
    default:
      break;
  }
}

void ApiCommands::Query(ApiClient& client, MarkupDocument& request, const Request& header) {
  BridgeLog& log = runtime_.Log();
  switch (header.tt) {
    case kServerListTt:
      log.LogMessage("recieved Get SERVER List", 0);
      ReplyDocumentAside(client, header.uid, [&log] {
        std::string payload = ServerListDocument(ListServers());
        log.LogMessage(
            Format("Get SERVER List Successful !XML SIZE=%d,replying...", payload.size()), 0);
        return payload;
      });
      return;
    case kConfigurationTt: {
      log.LogMessage("recieved Get XML Config", 0);
      const std::string payload = ConfigurationDocument();
      log.LogMessage(Format("Get XML Config SIZE=%d,replying...", payload.size()), 0);
      ReplyDocument(server_, client, header.uid, std::nullopt, payload);
      return;
    }
    case kServerTagsTt:
      ReplyDocumentAside(
          client, header.uid,
          [&log, sid = request.GetAttribute("sid"), clsid = request.GetAttribute("clsid")] {
            std::string payload = BrowseServerTags(log, sid, clsid, false);
            log.LogMessage(Format("Querry server tag ,XML SIZE=%d,replying...", payload.size()), 0);
            return payload;
          });
      return;
    case kStoreProjectTt: {
      const std::string payload = StoreProject(request);
      log.LogMessage(Format("Update tag list,XML SIZE=%d,replying...", payload.size()), 0);
      ReplyDocument(server_, client, header.uid, std::nullopt, payload);
      return;
    }
    case kReadProjectTt: {
      // The file's bytes as they are, whether or not they parse; nothing when it cannot be read.
      std::string payload;
      std::string readResult;
      if (!ReadFileBytes(runtime_.ProgramDirectory() + "/" + kProjectFileName, payload,
                         readResult)) {
        payload.clear();
      }
      log.LogMessage(Format("Get OPC Config,XML SIZE=%d,replying...", payload.size()), 0);
      ReplyDocument(server_, client, header.uid, header.tt, payload);
      return;
    }
    case kTestFrameTt: {
      log.LogMessage("reply test frame...", 0);
      MarkupDocument reply = ReplyHeader(kQueryType);
      reply.SetAttribute("flag", kBodyRaw);
      reply.SetAttribute("tt", kTestFrameTt);
      reply.SetAttribute("uid", header.uid);
      server_.SendFrame(client, reply.GetText(), {}, kBodyNone);
      return;
    }
    default: {
      const std::string payload = SnapshotDocument();
      log.LogMessage(Format("total call ,XML SIZE=%d,replying...", payload.size()), 0);
      const int mode = BodyModeFor(payload.size());
      MarkupDocument reply = ReplyHeader(kQueryType);
      reply.SetAttribute("uid", header.uid);
      reply.SetAttribute("flag", mode);
      // Pushes are changes to the snapshot: a client that did not get it gets none.
      if (server_.SendFrame(client, reply.GetText(), payload, mode)) client.pushesWanted = true;
      return;
    }
  }
}

void ApiCommands::ReplyDocumentAside(ApiClient& client, int uid,
                                     std::function<std::string()> makePayload) {
  server_.RunAside(client, [&server = server_, uid, makePayload = std::move(makePayload)] {
    return AsideCalls::Reply([&server, uid, payload = makePayload()](ApiClient& asker) {
      ReplyDocument(server, asker, uid, std::nullopt, payload);
    });
  });
}

void ApiCommands::Write(ApiClient& client, MarkupDocument& request) {
  request.EnterElement();
  if (!request.FindElement("base")) return;
  const int writeUid = ParseDecimal(request.GetAttribute("write_uid"));
  const std::string handleText = request.GetAttribute("handle");
  const int handle = ParseDecimal(handleText);
  const bool handleNamed = IsDecimalOrEmpty(handleText);
  const std::string value = request.GetAttribute("value");

  server_.RunAside(client, [&runtime = runtime_, &server = server_, writeUid, handle, handleText,
                            handleNamed, value] {
    MarkupDocument reply = ReplyHeader(kWriteType);
    reply.SetAttribute("uid", 0);
    reply.SetAttribute("flag", kBodyNone);
    reply.EnterElement();
    reply.AddElement("base");
    ProjectTag* tag = handleNamed ? runtime.Project().FindTag(handle) : nullptr;
    if (tag == nullptr) {
      if (handleNamed) {
        reply.SetAttribute("handle", handle);
      } else {
        reply.SetAttribute("handle", handleText);
      }
      reply.SetAttribute("write_uid", writeUid);
      reply.SetAttribute("ret1", 3);
      reply.SetAttribute("ret2", "点不存在");
    } else {
      const WriteResult result = tag->connection->WriteTag(*tag, value);
      reply.SetAttribute("handle", tag->handle);
      reply.SetAttribute("write_uid", writeUid);
      reply.SetAttribute("ret1", result.code);
      reply.SetAttribute("ret2", result.message);
    }
    return AsideCalls::Reply([&server, text = reply.GetText()](ApiClient& asker) {
      server.SendFrame(asker, text, {}, kBodyNone);
    });
  });
}

std::string ApiCommands::ConfigurationDocument() const {
  BodyElementList body(runtime_.Project().Tags().size() + runtime_.Connections().size());
  for (const auto& server : runtime_.Project().Servers()) {
    for (const auto& group : server->groups) {
      for (const auto& tag : group->tags) {
        body.AddElement("t");
        body.SetAttribute("i", tag->id);
        body.SetAttribute("d", "");
        body.SetAttribute("t", tag->vt);
        body.SetAttribute("a", tag->dir);
        body.SetAttribute("h", tag->handle);
      }
    }
  }
  for (const auto& connection : runtime_.Connections()) {
    const StatusTag& status = connection->GetStatusTag();
    body.AddElement("t");
    body.SetAttribute("i", status.name);
    body.SetAttribute("d", status.description);
    body.SetAttribute("t", 5);
    body.SetAttribute("a", 1);
    body.SetAttribute("h", status.handle);
  }
  return body.TakeText();
}

std::string ApiCommands::SnapshotDocument() const {
  BodyElementList body(runtime_.Project().Tags().size() + runtime_.Connections().size());
  for (const auto& server : runtime_.Project().Servers()) {
    for (const auto& group : server->groups) {
      for (const auto& tag : group->tags) {
        const TagLiveValue value = tag->liveValue.Snapshot();
        body.AddElement("t");
        switch (value.valueClass) {
          case ApiValueType::kReal:
            body.SetAttribute("v", FixedRealText(value.realValue));
            break;
          case ApiValueType::kInteger:
          case ApiValueType::kBoolean:
            body.SetAttribute("v", value.integerValue);
            break;
          case ApiValueType::kText:
            body.SetAttribute("v", value.textValue);
            break;
        }
        body.SetAttribute("s", std::to_string(value.seconds));
        body.SetAttribute("ms", value.milliseconds);
        body.SetAttribute("q", static_cast<int>(value.badFlag));
        body.SetAttribute("h", tag->handle);
        body.SetAttribute("k", server->name + group->name + tag->id);
      }
    }
  }
  const WallTime now = clock_();
  for (const auto& connection : runtime_.Connections()) {
    const StatusTag& status = connection->GetStatusTag();
    body.AddElement("t");
    body.SetAttribute("v", connection->IsConnected() ? 1 : 0);
    body.SetAttribute("s", static_cast<int>(now.seconds));
    body.SetAttribute("m", now.milliseconds);
    body.SetAttribute("q", 0);
    body.SetAttribute("h", status.handle);
  }
  return body.TakeText();
}

std::string ApiCommands::StoreProject(MarkupDocument& request) const {
  const std::time_t now = clock_().seconds;
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[128] = "";
  std::strftime(stamp, sizeof stamp, "%c", &local);
  request.SetAttribute("update", stamp);
  const bool saved = request.SaveFile(runtime_.ProgramDirectory() + "/" + kProjectFileName);

  MarkupDocument body = NewBodyDocument();
  body.AddElement("t");
  body.SetAttribute("a",
                    saved ? "Update Tag Server Successful." : "Update Tag Server not Successful.");
  return body.GetText();
}

}  // namespace tavrel
