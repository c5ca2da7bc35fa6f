#include "bridge/core/bridge_runtime.h"

#include <utility>

#include "bridge/core/settings_document.h"

namespace tavrel {

BridgeRuntime::BridgeRuntime(std::string programDirectory, BridgeParts parts)
    : programDirectory_(std::move(programDirectory)), log_(programDirectory_, parts.clock) {
  log_.LogMessage("begin load config...", 0);
  SettingsDocument config(programDirectory_ + "/" + kSettingsFileName);
  settings_ = AppSettingsOf(config.FromTop());
  std::string projectError;
  project_ = std::make_unique<BridgeProject>(LoadProjectFile(
      programDirectory_ + "/" + kProjectFileName, MarkupBuild::kBridge, &projectError));
  if (!projectError.empty()) log_.LogMessage(kProjectFileName + (": " + projectError), 0);
  if (parts.logSink) log_.AttachLogSink(std::move(parts.logSink));
  log_.LogMessage("版本6.1.1", 0);

  const auto& servers = project_->Servers();
  for (size_t index = 0; index < servers.size(); ++index) {
    connections_.push_back(std::make_unique<ServerConnection>(
        *servers[index], static_cast<int>(index), project_->TakeNextHandle(), metrics_));
    if (parts.makeEngine) {
      connections_.back()->AttachEngine(parts.makeEngine(
          ConnectionEngineContext{*connections_.back(), *project_, log_, exitFlag_}));
    }
  }
  StartFrontEnds(parts.frontEnds, config);

  log_.LogMessage("end load config...", 0);
  log_.WriteLogLine("程序启动");
  startTime_ = parts.clock().seconds;
  for (const auto& connection : connections_) {
    if (ConnectionEngine* engine = connection->Engine()) engine->Start();
  }
}

BridgeRuntime::~BridgeRuntime() {
  Stop();
  while (!frontEnds_.empty()) frontEnds_.pop_back();
}

void BridgeRuntime::StartFrontEnds(const std::vector<FrontEndFactory>& factories,
                                   SettingsDocument& config) {
  std::vector<ValuePushSink*> sinks;
  for (const FrontEndFactory& make : factories) {
    std::unique_ptr<FrontEnd> frontEnd = make(FrontEndContext{*this, config.FromTop()});
    if (!frontEnd) continue;
    frontEnd->Start();
    if (ValuePushSink* sink = frontEnd->ValueSink()) sinks.push_back(sink);
    frontEnds_.push_back(std::move(frontEnd));
  }
  valueSinks_.emplace(std::move(sinks));
  project_->AttachValuePushSink(valueSinks_->Entry());
}

void BridgeRuntime::Stop() {
  if (exitFlag_.IsSet()) return;
  exitFlag_.Set();
  for (auto frontEnd = frontEnds_.rbegin(); frontEnd != frontEnds_.rend(); ++frontEnd) {
    (*frontEnd)->Stop();
  }
  for (const auto& connection : connections_) {
    if (ConnectionEngine* engine = connection->Engine()) engine->Stop();
  }
  project_->AttachValuePushSink(nullptr);
}

}  // namespace tavrel
