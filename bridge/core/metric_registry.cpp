#include "bridge/core/metric_registry.h"

#include <algorithm>
#include <stdexcept>

namespace tavrel {

namespace {

bool IsLetterOrUnderscore(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsMetricName(const std::string& name) {
  const auto allowed = [](char c) { return IsLetterOrUnderscore(c) || IsDigit(c) || c == ':'; };
  return !name.empty() && !IsDigit(name.front()) && std::all_of(name.begin(), name.end(), allowed);
}

bool IsLabelName(const std::string& name) {
  const auto allowed = [](char c) { return IsLetterOrUnderscore(c) || IsDigit(c); };
  return !name.empty() && !IsDigit(name.front()) && !name.starts_with("__") &&
         std::all_of(name.begin(), name.end(), allowed);
}

template <typename Family>
bool HasFamily(const std::vector<Family>& families, const std::string& name) {
  return std::any_of(families.begin(), families.end(),
                     [&](const auto& family) { return family.name == name; });
}

}  // namespace

template <typename Metric, typename OtherMetric>
Metric& MetricRegistry::Add(Families<Metric>& families, const Families<OtherMetric>& others,
                            const std::string& name, const std::string& help,
                            const MetricLabels& labels) {
  if (!IsMetricName(name)) throw std::invalid_argument("invalid metric name: " + name);
  for (const auto& label : labels) {
    if (!IsLabelName(label.first)) {
      throw std::invalid_argument("invalid label name of " + name + ": " + label.first);
    }
  }
  if (HasFamily(others, name)) {
    throw std::invalid_argument("metric " + name + " was registered as another kind");
  }
  auto family = std::find_if(families.begin(), families.end(),
                             [&](const Family<Metric>& f) { return f.name == name; });
  if (family == families.end()) family = families.insert(families.end(), {name, help, {}});
  for (auto& [seriesLabels, metric] : family->series) {
    if (seriesLabels == labels) return *metric;
  }
  return *family->series.emplace_back(labels, std::make_unique<Metric>()).second;
}

template <typename Metric>
void MetricRegistry::CollectInto(const Families<Metric>& families, MetricKind kind,
                                 std::vector<MetricFamilyValues>& collected) {
  for (const Family<Metric>& family : families) {
    MetricFamilyValues& values = collected.emplace_back();
    values.name = family.name;
    values.help = family.help;
    values.kind = kind;
    for (const auto& [labels, metric] : family.series) {
      values.series.emplace_back(labels, metric->Value());
    }
  }
}

MetricCounter& MetricRegistry::Counter(const std::string& name, const std::string& help,
                                       const MetricLabels& labels) {
  MutexLock lock(mutex_);
  return Add(counters_, gauges_, name, help, labels);
}

MetricGauge& MetricRegistry::Gauge(const std::string& name, const std::string& help,
                                   const MetricLabels& labels) {
  MutexLock lock(mutex_);
  return Add(gauges_, counters_, name, help, labels);
}

std::vector<MetricFamilyValues> MetricRegistry::Collect() const {
  std::vector<MetricFamilyValues> collected;
  MutexLock lock(mutex_);
  CollectInto(counters_, MetricKind::kCounter, collected);
  CollectInto(gauges_, MetricKind::kGauge, collected);
  return collected;
}

}  // namespace tavrel
