#include "bridge/metrics/metrics_endpoint.h"

#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "bridge/core/bridge_runtime.h"

namespace tavrel {

namespace {

// Workers of the HTTP server: a peer that holds one with a request it never finishes leaves
// the others to the scrapers.
constexpr char kServerThreads[] = "4";
// How long a worker waits for a peer's bytes before it gives the connection up.
constexpr char kReadTimeoutMs[] = "5000";

}  // namespace

MetricsEndpoint::MetricsEndpoint(MetricsSettings settings, const MetricRegistry& registry,
                                 BridgeLog& log)
    : settings_(std::move(settings)),
      log_(log),
      collectable_(std::make_shared<RegistryCollectable>(registry)) {}

void MetricsEndpoint::Start() {
  const std::string address = settings_.bind + ":" + std::to_string(settings_.port);
  try {
    exposer_.emplace(std::vector<std::string>{"listening_ports", address, "num_threads",
                                              kServerThreads, "request_timeout_ms",
                                              kReadTimeoutMs});
    exposer_->RegisterCollectable(collectable_);
    log_.LogMessage("metrics: serving http://" + address + "/metrics", 0);
  } catch (const std::exception& error) {
    exposer_.reset();
    log_.LogMessage(
        "metrics: cannot listen on " + address + " (" + error.what() + "); no metrics are served",
        0);
  }
}

std::unique_ptr<FrontEnd> MakeMetricsFrontEnd(const FrontEndContext& context) {
  std::vector<std::string> problems;
  std::optional<MetricsSettings> settings = MetricsSettingsOf(context.config, problems);
  BridgeLog& log = context.runtime.Log();
  for (const std::string& problem : problems) log.LogMessage(problem, 0);
  if (!settings) return nullptr;
  return std::make_unique<MetricsEndpoint>(std::move(*settings), context.runtime.Metrics(), log);
}

}  // namespace tavrel
