// BridgeApi: the bridge's API service: the TCP server on the configured port, its commands,
// and the value pushes of the project.
//
// Made by the start-up at its place in the order; it attaches itself as the project's value
// push sink and detaches when destroyed, which happens after ApiThread has been joined.
// Values applied by threads that are still running at that point are no longer pushed.
#pragma once

#include <memory>

#include "bridge/api/api_commands.h"
#include "bridge/api/api_server.h"
#include "bridge/core/api_service.h"
#include "bridge/core/bridge_runtime.h"
#include "bridge/core/value_push_sink.h"

class BridgeApi : public ApiService, public ValuePushSink {
 public:
  explicit BridgeApi(BridgeRuntime& runtime);
  ~BridgeApi() override;
  BridgeApi(const BridgeApi&) = delete;
  BridgeApi& operator=(const BridgeApi&) = delete;

  void Pass() override { server_.Pass(); }
  void Wake() override { server_.Wake(); }
  void PushValue(const TagLiveValue& value) override;

 private:
  BridgeRuntime& runtime_;
  ApiServer server_;
  ApiCommands commands_;
};

// The ApiServiceFactory of the bridge program.
std::unique_ptr<ApiService> MakeBridgeApi(BridgeRuntime& runtime);
