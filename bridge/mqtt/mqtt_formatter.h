// MqttFormatter: what the publisher's thread asks of a message format (JSON or Sparkplug B).
//
// The publisher makes one client per connection and calls, on its thread:
//   NextWill() before each connect (a new session);
//   Start() once the broker accepted it: the subscriptions, then the whole state, read from
//     the latest values the publisher took (LatestValues::Current);
//   PublishChanges() with the values applied since the last call;
//   Receive() for each message on a subscribed topic, handing the writes it asks for to
//     `writes`;
//   PublishWriteOutcome() when a write asked for through the broker has its result;
//   PublishDue() on every turn of the connection's loop, for what the format put off;
//   Stop() before an orderly disconnect.
// All publish through the client given, which queues what the socket does not take at once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/core/connection_engine.h"
#include "bridge/core/metric_registry.h"
#include "bridge/core/project_tree.h"
#include "bridge/mqtt/latest_values.h"
#include "bridge/mqtt/mosquitto_client.h"

namespace tavrel {

// A write asked for through the broker: the tag and the value as text in the system code page.
struct MqttWriteRequest {
  TagHandle handle = 0;
  std::string value;
};

struct MqttWriteOutcome {
  TagHandle handle = 0;
  WriteResult result;
};

// What the publisher counts, as series of the bridge's metrics (metric_registry.h).
struct MqttCounters {
  explicit MqttCounters(MetricRegistry& metrics)
      : messages(metrics.Counter("tavrel_mqtt_messages_published_total",
                                 "MQTT messages handed to the broker connection.")),
        values(metrics.Counter("tavrel_mqtt_values_published_total",
                               "Tag values in the published MQTT messages, births included.")),
        dropped(metrics.Counter("tavrel_mqtt_messages_dropped_total",
                                "MQTT messages the broker connection refused to take.")),
        connected(metrics.Gauge("tavrel_mqtt_broker_connected",
                                "1 while the MQTT broker has accepted the connection, else 0.")) {}

  MetricCounter& messages;
  MetricCounter& values;
  MetricCounter& dropped;
  MetricGauge& connected;
};

class MqttFormatter {
 public:
  virtual ~MqttFormatter() = default;
  virtual MosquittoClient::Will NextWill() = 0;
  virtual void Start(MosquittoClient& client) = 0;
  virtual void PublishChanges(MosquittoClient& client, const std::vector<LatestValue>& changes) = 0;
  virtual void Receive(MosquittoClient& client, std::string_view topic, std::string_view payload,
                       std::vector<MqttWriteRequest>& writes) = 0;
  virtual void PublishWriteOutcome(MosquittoClient& client, const MqttWriteOutcome& outcome) = 0;
  virtual void PublishDue(MosquittoClient& /*client*/) {}
  virtual void Stop(MosquittoClient& client) = 0;
};

// Publishes one message through `client` and counts it with the `values` it carries.
inline void PublishCounted(MosquittoClient& client, MqttCounters& counters,
                           const std::string& topic, std::string_view payload, int qos, bool retain,
                           std::uint64_t values) {
  if (client.Publish(topic, payload, qos, retain) != MOSQ_ERR_SUCCESS) {
    counters.dropped.Increment();
    return;
  }
  counters.messages.Increment();
  counters.values.Increment(static_cast<double>(values));
}

}  // namespace tavrel
