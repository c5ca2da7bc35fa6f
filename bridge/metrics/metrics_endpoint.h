// MetricsEndpoint: serves a MetricRegistry over HTTP at /metrics in the Prometheus text format,
// for a scraper that pulls it. The HTTP server runs on a thread of its own; a scrape reads the
// registry's atomic values and takes none of the bridge's locks, so it never holds up a value.
//
// StartMetricsEndpoint is the start-up's one call: it reads the settings from config.xml
// (metrics_settings.h), logs each bad value once, and when the file configures metrics listens
// on the address and port it names, logging where. A port that cannot be had is logged and the
// bridge runs on without metrics. The endpoint stops listening when destroyed; the registry
// must outlive it.
#pragma once

#include <prometheus/exposer.h>

#include <memory>
#include <string>

#include "bridge/core/metric_registry.h"
#include "bridge/metrics/metrics_settings.h"

class BridgeLog;

class MetricsEndpoint {
 public:
  // Listens at once; throws std::runtime_error when the address and port cannot be had.
  MetricsEndpoint(const MetricsSettings& settings, const MetricRegistry& registry);

  // The port it listens on.
  int Port() const;

 private:
  prometheus::Exposer exposer_;
};

// The endpoint config.xml at `settingsPath` asks for; null when it asks for none or the port
// cannot be had.
std::unique_ptr<MetricsEndpoint> StartMetricsEndpoint(const std::string& settingsPath,
                                                      const MetricRegistry& registry,
                                                      BridgeLog& log);
