// MetricRegistry: the bridge's counters and gauges, by name and labels. Counting is the core's
// business: every part counts here whether or not a front end serves the registry (the metrics
// front end, bridge/metrics, does when config.xml asks for it, in the Prometheus text format).
//
// A part of the bridge registers what it counts once, when it is made, and keeps the reference:
// the registry makes a series on its first registration and returns the same object for the
// same name and labels, so parts that register one name add to one family. Registering and
// collecting take the registry's lock; counting does not: a counter or gauge is one atomic
// value, safe from any thread. An update still costs an atomic read-modify-write on a shared
// cache line, so parts on the value path add a whole batch at once rather than one per value.
//
// Names follow the exposition rules ([a-zA-Z_:][a-zA-Z0-9_:]*, counters end in "_total"; label
// names [a-zA-Z_][a-zA-Z0-9_]*, not starting with "__"); label values are UTF-8; the first
// registration of a name gives its help text. An invalid name, or one registered before as the
// other kind, throws std::invalid_argument (a programming error, found by the first start).
// Series live as long as the registry, which the runtime keeps longer than every part that
// counts.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/mutex.h"

namespace tavrel {

// A value that only goes up.
class MetricCounter {
 public:
  // Adds `amount`; a negative amount is ignored.
  void Increment(double amount = 1.0) {
    if (amount >= 0.0) value_.fetch_add(amount, std::memory_order_relaxed);
  }
  double Value() const { return value_.load(std::memory_order_relaxed); }

 private:
  std::atomic<double> value_{0.0};
};

// A value that is set.
class MetricGauge {
 public:
  void Set(double value) { value_.store(value, std::memory_order_relaxed); }
  double Value() const { return value_.load(std::memory_order_relaxed); }

 private:
  std::atomic<double> value_{0.0};
};

// Label names to values, in the order of their names.
using MetricLabels = std::map<std::string, std::string>;

enum class MetricKind { kCounter, kGauge };

// A family as read at one moment: each series' labels and value.
struct MetricFamilyValues {
  std::string name;
  std::string help;
  MetricKind kind = MetricKind::kCounter;
  std::vector<std::pair<MetricLabels, double>> series;
};

class MetricRegistry {
 public:
  MetricRegistry() = default;
  MetricRegistry(const MetricRegistry&) = delete;
  MetricRegistry& operator=(const MetricRegistry&) = delete;

  MetricCounter& Counter(const std::string& name, const std::string& help,
                         const MetricLabels& labels = {});
  MetricGauge& Gauge(const std::string& name, const std::string& help,
                     const MetricLabels& labels = {});

  // Every family with its series' values now: the counters' families first, then the
  // gauges', each in the order of their first registration, a family's series in theirs.
  std::vector<MetricFamilyValues> Collect() const;

 private:
  template <typename Metric>
  struct Family {
    std::string name;
    std::string help;
    std::vector<std::pair<MetricLabels, std::unique_ptr<Metric>>> series;
  };
  template <typename Metric>
  using Families = std::vector<Family<Metric>>;

  // The series of `name` and `labels` in `families`, made when it is new; `others` are the
  // families of the other kind. The caller holds the lock.
  template <typename Metric, typename OtherMetric>
  static Metric& Add(Families<Metric>& families, const Families<OtherMetric>& others,
                     const std::string& name, const std::string& help, const MetricLabels& labels);
  template <typename Metric>
  static void CollectInto(const Families<Metric>& families, MetricKind kind,
                          std::vector<MetricFamilyValues>& collected);

  mutable Mutex mutex_;
  Families<MetricCounter> counters_ GUARDED_BY(mutex_);
  Families<MetricGauge> gauges_ GUARDED_BY(mutex_);
};

}  // namespace tavrel
