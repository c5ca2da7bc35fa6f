#include "bridge/api/bridge_api.h"

BridgeApi::BridgeApi(BridgeRuntime& runtime)
    : runtime_(runtime),
      server_(runtime.Settings().port, runtime.Log(), runtime.GetExitFlag(), runtime.Metrics()),
      commands_(server_, runtime) {
  server_.SetRequestHandler(&commands_);
  runtime_.Project().AttachValuePushSink(this);
}

BridgeApi::~BridgeApi() { runtime_.Project().AttachValuePushSink(nullptr); }

void BridgeApi::PushValue(const TagLiveValue& value) {
  server_.AppendPush(PushRecord{.handle = value.handle,
                                .seconds = value.seconds,
                                .milliseconds = value.milliseconds,
                                .valueClass = static_cast<int>(value.valueClass),
                                .updateCount = value.updateCount,
                                .bad = value.badFlag != 0,
                                .real = value.realValue,
                                .integer = value.integerValue,
                                .text = value.textValue});
}

std::unique_ptr<ApiService> MakeBridgeApi(BridgeRuntime& runtime) {
  return std::make_unique<BridgeApi>(runtime);
}
