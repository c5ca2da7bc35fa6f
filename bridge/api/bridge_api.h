// BridgeApi: the bridge's TCP API front end (front_end.h): the server on the configured port,
// its commands, the value pushes of the project, and ApiThread, which runs the server's passes
// from Start to Stop.
//
// Its value sink appends every applied value to the server's pending pushes; after Stop the
// pushes still gather (and are dropped with the server) until the runtime detaches the sink.
#pragma once

#include <memory>
#include <optional>

#include "bridge/api/api_commands.h"
#include "bridge/api/api_server.h"
#include "bridge/api/api_service.h"
#include "bridge/api/api_thread.h"
#include "bridge/core/bridge_runtime.h"
#include "bridge/core/front_end.h"
#include "bridge/core/value_push_sink.h"
#include "common/listen_settings.h"
#include "platform/net/socket_api.h"

namespace tavrel {

class BridgeApi final : public FrontEnd, private ApiService, private ValuePushSink {
 public:
  // Listens on `address` (listen_settings.h) and the root's `port`.
  BridgeApi(BridgeRuntime& runtime, const std::string& address = kEveryAddress);
  BridgeApi(const BridgeApi&) = delete;
  BridgeApi& operator=(const BridgeApi&) = delete;

  ValuePushSink* ValueSink() override { return this; }
  void Start() override;
  void Stop() override { thread_.reset(); }

 private:
  void Pass() override { server_.Pass(); }
  void Wake() override { server_.Wake(); }
  void PushValue(const TagLiveValue& value) override;

  // First made and last gone: the server's sockets need Windows Sockets started.
  SocketRuntime sockets_;
  const ExitFlag& exitFlag_;
  ApiServer server_;
  ApiCommands commands_;
  std::optional<ApiThread> thread_;  // last: its passes use the rest
};

// The API's FrontEndFactory: it is always made (its port is the root's `port`, app_settings.h;
// its address the `listen` child's `api`, whose bad values it logs).
std::unique_ptr<FrontEnd> MakeApiFrontEnd(const FrontEndContext& context);

}  // namespace tavrel
