// BridgeRuntime: the bridge's objects from start-up to the orderly stop.
//
// Making a runtime is the start-up, in this order:
//   1. log "begin load config...";
//   2. the settings from config.xml (app_settings.h);
//   3. the project from opc_db.xml, numbering every tag (bridge_project.h); a missing or
//      unreadable file gives an empty project, and a file that exists but is not well formed
//      logs "opc_db.xml: " and the parse's diagnostics; then the log sink, when one is given
//      (the desktop's log list), is attached;
//   4. log "版本6.1.1";
//   5. one connection object per server in project order, each taking the next handle for its
//      status tag (so status tags follow all tags), with its engine when a factory is given;
//   6. the API service (api_service.h), when a factory is given, and ApiThread running its
//      passes; then the value listener (value_push_sink.h), when a factory is given and makes
//      one, attached to the project;
//   7. the metrics endpoint, when config.xml configures one (metrics_endpoint.h);
//   8. log "end load config...", "程序启动" into the daily log file only, and the start time;
//   9. each connection's engine started in project order (ConnectionEngine::Start).
// The process-wide steps that come first (COM, the single instance, the crash report) are the
// caller's (bridge_process.h).
//
// Stop() is the orderly stop: set ExitFlag, then end and join the threads: the API thread,
// woken from its wait, then each engine's worker, woken from whatever wait it is in, then the
// value listener is detached and destroyed. The destructor stops a runtime that is still
// running; the metrics endpoint serves until then.
//
// Other parts of the program reach the bridge through this object: the log (whose sink may be
// attached), read access to the project and its live values, the metric registry they count
// in, and the start time. The runtime is made and stopped on one thread; its accessors may be
// used from any thread while it runs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bridge/core/api_service.h"
#include "bridge/core/api_thread.h"
#include "bridge/core/app_settings.h"
#include "bridge/core/bridge_project.h"
#include "bridge/core/exit_flag.h"
#include "bridge/core/metric_registry.h"
#include "bridge/core/server_connection.h"
#include "bridge/core/value_push_sink.h"
#include "bridge/metrics/metrics_endpoint.h"
#include "common/bridge_log.h"

class BridgeRuntime {
 public:
  BridgeRuntime(std::string programDirectory, const ApiServiceFactory& makeApiService = {},
                WallClock clock = SystemWallTime, const ConnectionEngineFactory& makeEngine = {},
                std::shared_ptr<LogSink> logSink = {},
                const ValueListenerFactory& makeValueListener = {});
  ~BridgeRuntime();

  BridgeRuntime(const BridgeRuntime&) = delete;
  BridgeRuntime& operator=(const BridgeRuntime&) = delete;

  void Stop();

  const std::string& ProgramDirectory() const { return programDirectory_; }
  const AppSettings& Settings() const { return settings_; }
  BridgeLog& Log() { return log_; }
  BridgeProject& Project() { return *project_; }
  MetricRegistry& Metrics() { return metrics_; }
  const std::vector<std::unique_ptr<ServerConnection>>& Connections() const { return connections_; }
  const ExitFlag& GetExitFlag() const { return exitFlag_; }
  // Seconds since 1970 at the end of the start-up.
  std::int64_t StartTime() const { return startTime_; }

 private:
  const std::string programDirectory_;
  BridgeLog log_;
  ExitFlag exitFlag_;
  MetricRegistry metrics_;  // outlives every part that counts in it
  AppSettings settings_;
  std::unique_ptr<BridgeProject> project_;
  std::vector<std::unique_ptr<ServerConnection>> connections_;
  std::unique_ptr<ApiService> apiService_;  // outlives apiThread_, which runs its passes
  std::optional<ApiThread> apiThread_;
  std::unique_ptr<ValuePushSink> valueListener_;
  std::unique_ptr<MetricsEndpoint> metricsEndpoint_;  // destroyed first: scrapes end first
  std::int64_t startTime_ = 0;
};
