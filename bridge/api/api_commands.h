// ApiCommands: the bridge's application protocol, run on ApiThread for every decoded request.
//
// A request is the header document of one frame: `root` with `uid`, `type`, `flag` and `tt`
// (decimal; missing ones count as 0). Type 1 is a query chosen by `tt` (1 configuration,
// 100 server list, 200 server tags, 300 store project, 400 read project, 500 test frame, any
// other the value snapshot, which also turns pushes on for the client); type 5 writes a tag;
// type 6 is the heartbeat. Other types get no reply. Every request with a `root` restarts the
// client's idle timer. Each reply is one frame: a header naming the command and, for type 1,
// a body document (raw under 2049 bytes, else compressed). Writes, the server list and a
// server's tags wait on OPC servers: they run aside (ApiServer::RunAside).
//
// Every request with a `root` is counted in tavrel_api_requests_total under the label
// `request`: configuration, server_list, server_tags, store_project, read_project, test_frame,
// snapshot, write, heartbeat, or other for a type without a reply.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/api/api_server.h"
#include "bridge/core/bridge_runtime.h"
#include "common/log_time.h"

namespace tavrel {

class ApiCommands : public ApiRequestHandler {
 public:
  ApiCommands(ApiServer& server, BridgeRuntime& runtime, WallClock clock = SystemWallTime);

  void HandleRequest(ApiClient& client, MarkupDocument& request) override;

 private:
  struct Request {
    int uid = 0;
    int type = 0;
    int tt = 0;
  };

  void Query(ApiClient& client, MarkupDocument& request, const Request& header);
  void Write(ApiClient& client, MarkupDocument& request);
  // Runs `makePayload` aside (it waits on servers) and replies with the document it returns.
  // Jobs run aside may outlive this object: they use only the server and the runtime.
  void ReplyDocumentAside(ApiClient& client, int uid, std::function<std::string()> makePayload);

  std::string ConfigurationDocument() const;
  std::string SnapshotDocument() const;
  std::string StoreProject(MarkupDocument& request) const;

  ApiServer& server_;
  BridgeRuntime& runtime_;
  WallClock clock_;
  std::vector<MetricCounter*> requestCounters_;  // by the kinds of api_commands.cpp
};

}  // namespace tavrel
