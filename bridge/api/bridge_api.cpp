#include "bridge/api/bridge_api.h"

#include <string>
#include <vector>

#include "bridge/api/written_text_bound.h"

namespace tavrel {

BridgeApi::BridgeApi(BridgeRuntime& runtime, const std::string& address)
    : exitFlag_(runtime.GetExitFlag()),
      server_(runtime.Settings().port, runtime.Log(), runtime.GetExitFlag(), runtime.Metrics()),
      commands_(server_, runtime) {
  server_.SetRequestHandler(&commands_);
  server_.ListenOn(address);
  // A written text that made the snapshot too large for its frame would leave every client
  // without one.
  const std::size_t bound = WrittenTextBound(runtime.Project(), runtime.Connections().size());
  for (const auto& connection : runtime.Connections()) connection->LimitWrittenText(bound);
}

void BridgeApi::Start() {
  ApiService& passes = *this;
  thread_.emplace(exitFlag_, passes);
}

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

std::unique_ptr<FrontEnd> MakeApiFrontEnd(const FrontEndContext& context) {
  std::vector<std::string> notes;
  const ListenSettings listen = ListenSettingsOf(context.config, notes);
  for (const std::string& note : notes) context.runtime.Log().LogMessage(note, 0);
  return std::make_unique<BridgeApi>(context.runtime, listen.api);
}

}  // namespace tavrel
