// RegistryCollectable: the core's MetricRegistry as prometheus-cpp collects it, so that the
// library's exposer serves it in the Prometheus text format. Each collection reads the
// registry's families and values at that moment (MetricRegistry::Collect), in its order: the
// counters' families, then the gauges', each series with its labels in the order of their
// names. The registry must outlive the object.
#pragma once

#include <prometheus/collectable.h>
#include <prometheus/metric_family.h>

#include <vector>

#include "bridge/core/metric_registry.h"

namespace tavrel {

class RegistryCollectable final : public prometheus::Collectable {
 public:
  explicit RegistryCollectable(const MetricRegistry& registry) : registry_(registry) {}

  std::vector<prometheus::MetricFamily> Collect() const override;

 private:
  const MetricRegistry& registry_;
};

}  // namespace tavrel
