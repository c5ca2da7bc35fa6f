// MqttFormatter: what the publisher's thread asks of a message format (JSON or Sparkplug B).
//
// The publisher makes one client per connection and calls, on its thread:
//   NextWill() before each connect (a new session);
//   Start() once the broker accepted it: the subscriptions, then the whole state, read from
//     the live values;
//   PublishChanges() with the values applied since the last call;
//   Receive() for each message on a subscribed topic, handing the writes it asks for to
//     `writes`;
//   PublishWriteOutcome() when a write asked for through the broker has its result;
//   Stop() before an orderly disconnect.
// All publish through the client given, which queues what the socket does not take at once.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/core/connection_engine.h"
#include "bridge/core/project_tree.h"
#include "bridge/mqtt/mosquitto_client.h"

// A write asked for through the broker: the tag and the value as text in the system code page.
struct MqttWriteRequest {
  TagHandle handle = 0;
  std::string value;
};

struct MqttWriteOutcome {
  TagHandle handle = 0;
  WriteResult result;
};

// Counts of the publisher's work since start; read from any thread.
struct MqttCounters {
  std::atomic<std::uint64_t> messages{0};  // messages handed to the library
  std::atomic<std::uint64_t> values{0};    // tag values in them (births included)
  std::atomic<std::uint64_t> refused{0};   // publish calls the library refused
};

class MqttFormatter {
 public:
  virtual ~MqttFormatter() = default;
  virtual MosquittoClient::Will NextWill() = 0;
  virtual void Start(MosquittoClient& client) = 0;
  virtual void PublishChanges(MosquittoClient& client,
                              const std::vector<TagLiveValue>& changes) = 0;
  virtual void Receive(MosquittoClient& client, std::string_view topic, std::string_view payload,
                       std::vector<MqttWriteRequest>& writes) = 0;
  virtual void PublishWriteOutcome(MosquittoClient& client, const MqttWriteOutcome& outcome) = 0;
  virtual void Stop(MosquittoClient& client) = 0;
};

// Publishes one message through `client` and counts it with the `values` it carries.
inline void PublishCounted(MosquittoClient& client, MqttCounters& counters,
                           const std::string& topic, std::string_view payload, int qos, bool retain,
                           std::uint64_t values) {
  if (client.Publish(topic, payload, qos, retain) != MOSQ_ERR_SUCCESS) {
    counters.refused.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  counters.messages.fetch_add(1, std::memory_order_relaxed);
  counters.values.fetch_add(values, std::memory_order_relaxed);
}
