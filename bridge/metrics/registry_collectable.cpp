#include "bridge/metrics/registry_collectable.h"

namespace tavrel {

std::vector<prometheus::MetricFamily> RegistryCollectable::Collect() const {
  std::vector<prometheus::MetricFamily> families;
  for (const MetricFamilyValues& values : registry_.Collect()) {
    prometheus::MetricFamily& family = families.emplace_back();
    family.name = values.name;
    family.help = values.help;
    const bool counter = values.kind == MetricKind::kCounter;
    family.type = counter ? prometheus::MetricType::Counter : prometheus::MetricType::Gauge;
    for (const auto& [labels, value] : values.series) {
      prometheus::ClientMetric& metric = family.metric.emplace_back();
      for (const auto& [name, text] : labels) metric.label.push_back({name, text});
      (counter ? metric.counter.value : metric.gauge.value) = value;
    }
  }
  return families;
}

}  // namespace tavrel
