// MetricRegistry: the bridge's counters and gauges, by name and labels. Counting is the core's
// business: every part counts here whether or not a front end serves the registry (the metrics
// front end, bridge/metrics, does when config.xml asks for it).
//
// A part of the bridge registers what it counts once, when it is made, and keeps the reference:
// the registry makes a series on its first registration and returns the same object for the
// same name and labels, so parts that register one name add to one family. Registering takes
// the registry's lock; counting does not: a counter or gauge is one atomic value, safe from any
// thread. An update still costs an atomic read-modify-write on a shared cache line, so parts on
// the value path add a whole batch at once rather than one per value.
//
// Names follow the exposition rules ([a-zA-Z_:][a-zA-Z0-9_:]*, counters end in "_total");
// label values are UTF-8; the first registration of a name gives its help text. An invalid
// name, or one registered before as the other kind, throws std::invalid_argument (a
// programming error, found by the first start). Series live as long
// as the registry, which the runtime keeps longer than every part that counts.
#pragma once

#include <prometheus/counter.h>
#include <prometheus/gauge.h>
#include <prometheus/labels.h>
#include <prometheus/registry.h>

#include <memory>
#include <string>

namespace tavrel {

class MetricRegistry {
 public:
  MetricRegistry();
  MetricRegistry(const MetricRegistry&) = delete;
  MetricRegistry& operator=(const MetricRegistry&) = delete;

  prometheus::Counter& Counter(const std::string& name, const std::string& help,
                               const prometheus::Labels& labels = {});
  prometheus::Gauge& Gauge(const std::string& name, const std::string& help,
                           const prometheus::Labels& labels = {});

  // What an endpoint collects.
  std::shared_ptr<prometheus::Registry> Collectable() const { return registry_; }

 private:
  const std::shared_ptr<prometheus::Registry> registry_;
};

}  // namespace tavrel
