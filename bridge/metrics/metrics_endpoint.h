// MetricsEndpoint: the metrics front end (front_end.h). It serves the core's MetricRegistry
// over HTTP at /metrics in the Prometheus text format, for a scraper that pulls it. The HTTP
// server runs on threads of its own (several, so that a peer that never finishes its request
// holds up no scrape, and each gives a silent peer up after a few seconds); a scrape reads the
// registry's atomic values and takes none of the bridge's locks, so it never holds up a value.
// It takes no values itself.
//
// The factory reads the `metrics` element of config.xml (metrics_settings.h), logs each bad
// value once, and makes no endpoint when there is no element. Start listens on the address and
// port the settings name and logs where; a port that cannot be had is logged and the bridge
// runs on without metrics. Stop leaves the endpoint serving, so that the counts of a stopped
// bridge can still be read; it stops listening when destroyed, before the registry is.
#pragma once

#include <prometheus/exposer.h>

#include <memory>
#include <optional>

#include "bridge/core/front_end.h"
#include "bridge/core/metric_registry.h"
#include "bridge/metrics/metrics_settings.h"
#include "bridge/metrics/registry_collectable.h"
#include "common/bridge_log.h"

namespace tavrel {

class MetricsEndpoint final : public FrontEnd {
 public:
  MetricsEndpoint(MetricsSettings settings, const MetricRegistry& registry, BridgeLog& log);

  void Start() override;
  void Stop() override {}

 private:
  const MetricsSettings settings_;
  BridgeLog& log_;
  const std::shared_ptr<RegistryCollectable> collectable_;  // what the exposer serves
  std::optional<prometheus::Exposer> exposer_;              // while listening
};

// The metrics FrontEndFactory.
std::unique_ptr<FrontEnd> MakeMetricsFrontEnd(const FrontEndContext& context);

}  // namespace tavrel
