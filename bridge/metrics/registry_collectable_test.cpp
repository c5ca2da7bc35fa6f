#include "bridge/metrics/registry_collectable.h"

#include <gtest/gtest.h>
#include <prometheus/text_serializer.h>

namespace tavrel {

namespace {

// The bytes a scrape gives: those prometheus-cpp's own registry gave for the same series (a
// family's series came in the order of its hash table there; in their registration order here).
TEST(RegistryCollectable, ServesTheTextFormatOfTheRegistrysSeries) {
  MetricRegistry metrics;
  metrics.Gauge("tavrel_api_clients", "API clients connected.").Set(2);
  metrics.Counter("tavrel_writes_total", "Writes asked.",
                  {{"server", "Sim\"\\\n"}, {"index", "1"}});
  metrics
      .Counter("tavrel_writes_total", "other help", {{"server", "Sim\xe6\xa0\x91"}, {"index", "0"}})
      .Increment(3);
  metrics.Counter("tavrel_api_pushes_sent_total", "Pushes.").Increment(0.5);
  metrics.Gauge("tavrel_state", "State.", {{"index", "0"}}).Set(-1.25);

  EXPECT_EQ(prometheus::TextSerializer().Serialize(RegistryCollectable(metrics).Collect()),
            "# HELP tavrel_writes_total Writes asked.\n"
            "# TYPE tavrel_writes_total counter\n"
            "tavrel_writes_total{index=\"1\",server=\"Sim\\\"\\\\\\n\"} 0\n"
            "tavrel_writes_total{index=\"0\",server=\"Sim\xe6\xa0\x91\"} 3\n"
            "# HELP tavrel_api_pushes_sent_total Pushes.\n"
            "# TYPE tavrel_api_pushes_sent_total counter\n"
            "tavrel_api_pushes_sent_total 0.5\n"
            "# HELP tavrel_api_clients API clients connected.\n"
            "# TYPE tavrel_api_clients gauge\n"
            "tavrel_api_clients 2\n"
            "# HELP tavrel_state State.\n"
            "# TYPE tavrel_state gauge\n"
            "tavrel_state{index=\"0\"} -1.25\n");
}

}  // namespace

}  // namespace tavrel
