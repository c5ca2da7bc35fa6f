#include "bridge/metrics/metrics_endpoint.h"

#include <exception>
#include <vector>

#include "common/bridge_log.h"

namespace {

// The exposer's one thread is enough for the one scraper an endpoint has.
constexpr std::size_t kServerThreads = 1;

std::string ListeningAddress(const MetricsSettings& settings) {
  return settings.bind + ":" + std::to_string(settings.port);
}

}  // namespace

MetricsEndpoint::MetricsEndpoint(const MetricsSettings& settings, const MetricRegistry& registry)
    : exposer_(ListeningAddress(settings), kServerThreads) {
  exposer_.RegisterCollectable(registry.Collectable());
}

int MetricsEndpoint::Port() const {
  const std::vector<int> ports = exposer_.GetListeningPorts();
  return ports.empty() ? 0 : ports.front();
}

std::unique_ptr<MetricsEndpoint> StartMetricsEndpoint(const std::string& settingsPath,
                                                      const MetricRegistry& registry,
                                                      BridgeLog& log) {
  std::vector<std::string> problems;
  const std::optional<MetricsSettings> settings = ReadMetricsSettings(settingsPath, problems);
  for (const std::string& problem : problems) log.LogMessage(problem, 0);
  if (!settings) return nullptr;
  const std::string address = ListeningAddress(*settings);
  try {
    auto endpoint = std::make_unique<MetricsEndpoint>(*settings, registry);
    log.LogMessage("metrics: serving http://" + address + "/metrics", 0);
    return endpoint;
  } catch (const std::exception& error) {
    log.LogMessage(
        "metrics: cannot listen on " + address + " (" + error.what() + "); no metrics are served",
        0);
    return nullptr;
  }
}
