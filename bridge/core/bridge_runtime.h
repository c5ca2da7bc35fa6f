// BridgeRuntime: the bridge's objects from start-up to the orderly stop.
//
// Making a runtime is the start-up, in this order:
//   1. log "begin load config...";
//   2. config.xml read and parsed once (settings_document.h), and the core's settings from it
//      (app_settings.h); a file that is there but gave the defaults, and a `port` outside
//      1-65535, are logged as problems (BridgeLog::LogProblem);
//   3. the project from opc_db.xml, numbering every tag (bridge_project.h); a missing,
//      unreadable or not well-formed file gives an empty project and one problem line that
//      names the path and why ("opc_db.xml: <path> cannot be read: No such file or
//      directory; ..." or "... is not well formed: " and the problems with their lines and
//      columns); then the log sink, when one is given (the desktop's log list), is attached;
//   4. log "版本6.1.1";
//   5. one connection object per server in project order, each taking the next handle for its
//      status tag (so status tags follow all tags), with its engine when a factory is given;
//   6. the front ends in the order of the list (front_end.h): each made from the parsed
//      config.xml, logging its settings' notes, and started before the next is made (the
//      bridge program's are the API server and its thread, the MQTT publisher, the metrics
//      endpoint); then their value sinks attached to the project (value_fan_out.h);
//   7. log "end load config...", "程序启动" into the daily log file only, and the start time;
//   8. each connection's engine started in project order (ConnectionEngine::Start).
// The process-wide steps that come first (COM, the single instance, the crash report) are the
// caller's (bridge_process.h).
//
// Stop() is the orderly stop: set ExitFlag, stop the front ends in reverse order (the API
// thread, woken from its wait, is joined; the MQTT publisher says goodbye), then end and join
// each engine's worker, woken from whatever wait it is in, then detach the value sinks. The
// destructor stops a runtime that is still running and destroys the front ends in reverse
// order; the metrics endpoint serves until then.
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

#include "bridge/core/app_settings.h"
#include "bridge/core/bridge_project.h"
#include "bridge/core/exit_flag.h"
#include "bridge/core/front_end.h"
#include "bridge/core/metric_registry.h"
#include "bridge/core/server_connection.h"
#include "bridge/core/value_fan_out.h"
#include "common/bridge_log.h"

namespace tavrel {

class SettingsDocument;

// What a runtime is made with besides its directory; every part is optional.
struct BridgeParts {
  WallClock clock = SystemWallTime;
  // One engine per connection; none: nothing touches the servers.
  ConnectionEngineFactory makeEngine = {};
  // The front ends, in start-up order.
  std::vector<FrontEndFactory> frontEnds = {};
  // Attached at step 3 (the desktop's log list).
  std::shared_ptr<LogSink> logSink = {};
};

class BridgeRuntime {
 public:
  explicit BridgeRuntime(std::string programDirectory, BridgeParts parts = {});
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
  // Step 3: the project's servers, or none when the file did not load (logged).
  std::vector<ProjectServerRecord> LoadProject();
  // Step 6: makes and starts the front ends, then attaches their sinks.
  void StartFrontEnds(const std::vector<FrontEndFactory>& factories, SettingsDocument& config);

  const std::string programDirectory_;
  BridgeLog log_;
  ExitFlag exitFlag_;
  MetricRegistry metrics_;  // outlives every part that counts in it
  AppSettings settings_;
  std::unique_ptr<BridgeProject> project_;
  std::vector<std::unique_ptr<ServerConnection>> connections_;
  std::vector<std::unique_ptr<FrontEnd>> frontEnds_;  // destroyed in reverse order
  std::optional<ValueFanOut> valueSinks_;             // over the front ends' sinks
  std::int64_t startTime_ = 0;
};

}  // namespace tavrel
