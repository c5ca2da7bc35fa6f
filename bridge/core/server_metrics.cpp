#include "bridge/core/server_metrics.h"

#include "common/code_page.h"

namespace tavrel {

namespace {

MetricLabels ServerLabels(int serverIndex, const std::string& serverName) {
  return {{"index", std::to_string(serverIndex)}, {"server", AnsiToUtf8(serverName)}};
}

}  // namespace

ServerMetrics::ServerMetrics(MetricRegistry& registry, int serverIndex,
                             const std::string& serverName)
    : ServerMetrics(registry, ServerLabels(serverIndex, serverName)) {}

ServerMetrics::ServerMetrics(MetricRegistry& registry, const MetricLabels& labels)
    : valuesReceived(registry.Counter("tavrel_values_received_total",
                                      "Values received from the server and applied to its tags.",
                                      labels)),
      connectionState(registry.Gauge(
          "tavrel_server_connection_state",
          "0 not connected, 1 connected but not reading, 2 connected and reading.", labels)),
      reconnects(registry.Counter("tavrel_server_reconnects_total",
                                  "Connections to the server made after the first.", labels)),
      writes(registry.Counter("tavrel_writes_total", "Writes asked of the server's tags.", labels)),
      writeFailures(registry.Counter("tavrel_write_failures_total",
                                     "Writes of the server's tags that were not written.",
                                     labels)) {}

}  // namespace tavrel
