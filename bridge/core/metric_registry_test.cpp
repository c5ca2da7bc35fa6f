#include "bridge/core/metric_registry.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace tavrel {

namespace {

TEST(MetricRegistry, OneSeriesPerNameAndLabelsCountedFromAnyThread) {
  MetricRegistry metrics;
  MetricCounter& first = metrics.Counter("writes_total", "Writes.", {{"server", "A"}});
  EXPECT_EQ(&metrics.Counter("writes_total", "Other help.", {{"server", "A"}}), &first);
  MetricCounter& second = metrics.Counter("writes_total", "", {{"server", "B"}});
  EXPECT_NE(&second, &first);
  MetricGauge& state = metrics.Gauge("state", "State.");

  std::vector<std::jthread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) first.Increment();
    });
  }
  threads.clear();
  second.Increment(2.5);
  second.Increment(-1);  // a counter never goes down
  state.Set(-3);
  EXPECT_EQ(first.Value(), 4000);
  EXPECT_EQ(second.Value(), 2.5);
  EXPECT_EQ(state.Value(), -3);

  metrics.Counter("reads_total", "Reads.");
  const std::vector<MetricFamilyValues> families = metrics.Collect();
  ASSERT_EQ(families.size(), 3u);
  EXPECT_EQ(families[0].name, "writes_total");
  EXPECT_EQ(families[0].help, "Writes.");  // the first registration's
  EXPECT_EQ(families[0].kind, MetricKind::kCounter);
  ASSERT_EQ(families[0].series.size(), 2u);
  EXPECT_EQ(families[0].series[0], std::pair(MetricLabels{{"server", "A"}}, 4000.0));
  EXPECT_EQ(families[0].series[1], std::pair(MetricLabels{{"server", "B"}}, 2.5));
  EXPECT_EQ(families[1].name, "reads_total");  // counters first, then gauges
  EXPECT_EQ(families[2].name, "state");
  EXPECT_EQ(families[2].kind, MetricKind::kGauge);
  EXPECT_EQ(families[2].series.at(0), std::pair(MetricLabels{}, -3.0));
}

TEST(MetricRegistry, InvalidNamesAndKindClashesThrow) {
  MetricRegistry metrics;
  metrics.Counter("taken_total", "");
  const struct {
    std::string name;
    MetricLabels labels;
  } refused[] = {
      {"", {}},
      {"9lives", {}},
      {"has-dash", {}},
      {"taken_total", {}} /* as a gauge */,
      {"ok", {{"", "x"}}},
      {"ok", {{"1st", "x"}}},
      {"ok", {{"__reserved", "x"}}},
      {"ok", {{"a:b", "x"}}},
  };
  for (const auto& [name, labels] : refused) {
    EXPECT_THROW(metrics.Gauge(name, "", labels), std::invalid_argument) << name;
  }
  EXPECT_THROW(metrics.Counter("ok", "", {{"__reserved", "x"}}), std::invalid_argument);
  metrics.Gauge("ns:metric_1", "", {{"_label1", "any \"value\""}});
  EXPECT_THROW(metrics.Counter("ns:metric_1", ""), std::invalid_argument);
  EXPECT_EQ(metrics.Collect().size(), 2u);  // nothing was made for the refused names
}

}  // namespace

}  // namespace tavrel
