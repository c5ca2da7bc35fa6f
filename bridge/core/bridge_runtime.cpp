#include "bridge/core/bridge_runtime.h"

#include <utility>

#include "bridge/core/settings_document.h"
#include "common/markup_file_problem.h"
#include "common/project_file.h"

namespace tavrel {

BridgeRuntime::BridgeRuntime(std::string programDirectory, BridgeParts parts)
    : programDirectory_(std::move(programDirectory)), log_(programDirectory_, parts.clock) {
  log_.LogMessage("begin load config...", 0);
  SettingsDocument config(programDirectory_ + "/" + kSettingsFileName);
  if (!config.Problem().empty()) {
    log_.LogProblem(kSettingsFileName + (": " + config.Problem()) + "; the defaults apply");
  }
  settings_ = AppSettingsOf(config.FromTop());
  if (settings_.portNote) log_.LogProblem(*settings_.portNote);
  project_ = std::make_unique<BridgeProject>(LoadProject());
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

std::vector<ProjectServerRecord> BridgeRuntime::LoadProject() {
  const std::string path = programDirectory_ + "/" + kProjectFileName;
  MarkupDocument document(MarkupBuild::kBridge);
  if (document.LoadFile(path)) return ReadProject(document);
  log_.LogProblem(kProjectFileName + (": " + MarkupFileProblem(path, document)) +
                  "; the bridge runs with no servers and no tags");
  return {};
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
