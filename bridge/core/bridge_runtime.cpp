#include "bridge/core/bridge_runtime.h"

#include <utility>

BridgeRuntime::BridgeRuntime(std::string programDirectory, const ApiServiceFactory& makeApiService,
                             WallClock clock, const ConnectionEngineFactory& makeEngine,
                             std::shared_ptr<LogSink> logSink,
                             const ValueListenerFactory& makeValueListener)
    : programDirectory_(std::move(programDirectory)), log_(programDirectory_, clock) {
  log_.LogMessage("begin load config...", 0);
  settings_ = ReadAppSettings(programDirectory_ + "/" + kSettingsFileName);
  std::string projectError;
  project_ = std::make_unique<BridgeProject>(LoadProjectFile(
      programDirectory_ + "/" + kProjectFileName, MarkupBuild::kBridge, &projectError));
  if (!projectError.empty()) log_.LogMessage(kProjectFileName + (": " + projectError), 0);
  if (logSink) log_.AttachLogSink(std::move(logSink));
  log_.LogMessage("版本6.1.1", 0);

  const auto& servers = project_->Servers();
  for (size_t index = 0; index < servers.size(); ++index) {
    connections_.push_back(std::make_unique<ServerConnection>(
        *servers[index], static_cast<int>(index), project_->TakeNextHandle(), metrics_));
    if (makeEngine) {
      connections_.back()->AttachEngine(
          makeEngine(ConnectionEngineContext{*connections_.back(), *project_, log_, exitFlag_}));
    }
  }
  if (makeApiService) apiService_ = makeApiService(*this);
  apiThread_.emplace(exitFlag_, apiService_.get());
  if (makeValueListener) valueListener_ = makeValueListener(*this);
  project_->AttachValueListener(valueListener_.get());
  metricsEndpoint_ =
      StartMetricsEndpoint(programDirectory_ + "/" + kSettingsFileName, metrics_, log_);

  log_.LogMessage("end load config...", 0);
  log_.WriteLogLine("程序启动");
  startTime_ = clock().seconds;
  for (const auto& connection : connections_) {
    if (ConnectionEngine* engine = connection->Engine()) engine->Start();
  }
}

BridgeRuntime::~BridgeRuntime() { Stop(); }

void BridgeRuntime::Stop() {
  if (exitFlag_.IsSet()) return;
  exitFlag_.Set();
  apiThread_->Wake();
  apiThread_.reset();
  for (const auto& connection : connections_) {
    if (ConnectionEngine* engine = connection->Engine()) engine->Stop();
  }
  project_->AttachValueListener(nullptr);
  valueListener_.reset();
}
