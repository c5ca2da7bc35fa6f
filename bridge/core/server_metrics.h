// ServerMetrics: what the bridge counts of one configured server, as series labelled with the
// server's place in the project and its name (metric_registry.h):
//
//   tavrel_values_received_total     values the server delivered and the bridge applied to its
//                                    tags (data changes, cache and property reads)
//   tavrel_server_connection_state   0 not connected; 1 the server is held but not read (while
//                                    registering, or after a group was refused); 2 connected
//                                    and reading
//   tavrel_server_reconnects_total   connections made after the first
//   tavrel_writes_total              writes asked of the server's tags, from any client
//   tavrel_write_failures_total      those that were not written
//
// The engine counts values, state and reconnects; the connection object counts writes.
#pragma once

#include <string>

#include "bridge/core/metric_registry.h"

namespace tavrel {

struct ServerMetrics {
  // `serverName` in GBK, as in the project.
  ServerMetrics(MetricRegistry& registry, int serverIndex, const std::string& serverName);

  MetricCounter& valuesReceived;
  MetricGauge& connectionState;
  MetricCounter& reconnects;
  MetricCounter& writes;
  MetricCounter& writeFailures;

 private:
  ServerMetrics(MetricRegistry& registry, const MetricLabels& labels);
};

}  // namespace tavrel
