#include "bridge/core/metric_registry.h"

namespace tavrel {

MetricRegistry::MetricRegistry() : registry_(std::make_shared<prometheus::Registry>()) {}

prometheus::Counter& MetricRegistry::Counter(const std::string& name, const std::string& help,
                                             const prometheus::Labels& labels) {
  return prometheus::BuildCounter().Name(name).Help(help).Register(*registry_).Add(labels);
}

prometheus::Gauge& MetricRegistry::Gauge(const std::string& name, const std::string& help,
                                         const prometheus::Labels& labels) {
  return prometheus::BuildGauge().Name(name).Help(help).Register(*registry_).Add(labels);
}

}  // namespace tavrel
