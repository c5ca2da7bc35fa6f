// JsonFormat: one JSON message per value on "<topic>/<server>/<group>/<tag id>"
// (json_messages.h), retained and at the QoS the settings give, and the bridge's presence on
// "<topic>/status": "online" (retained) once connected, "offline" as the will and before an
// orderly disconnect. A new connection publishes every tag that has a value, so the retained
// messages never keep a stale picture. After that a tag's value is published when its value,
// quality or source time changed (report by exception; a server read every cycle sends the
// same value again and again), or each time the bridge applies one with `every`.
//
// With writes on, a message on "<topic>/<path>/set" writes its payload (the value as text,
// UTF-8) to the tag of that path; the result goes to "<topic>/write_result", followed by the
// tag's next value, changed or not, which shows what the server took. A topic that is
// itself a tag's value topic (its id ends in "/set") is never taken as a write. With writes
// off the bridge subscribes to nothing.
#pragma once

#include "bridge/mqtt/latest_values.h"
#include "bridge/mqtt/mqtt_formatter.h"
#include "bridge/mqtt/mqtt_settings.h"
#include "bridge/mqtt/published_tags.h"

namespace tavrel {

class JsonFormat final : public MqttFormatter {
 public:
  // `latest`: the publisher's values, read on its thread.
  JsonFormat(const MqttSettings& settings, const PublishedTags& tags, const LatestValues& latest,
             MqttCounters& counters);

  MosquittoClient::Will NextWill() override;
  void Start(MosquittoClient& client) override;
  void PublishChanges(MosquittoClient& client, const std::vector<LatestValue>& changes) override;
  void Receive(MosquittoClient& client, std::string_view topic, std::string_view payload,
               std::vector<MqttWriteRequest>& writes) override;
  void PublishWriteOutcome(MosquittoClient& client, const MqttWriteOutcome& outcome) override;
  void Stop(MosquittoClient& client) override;

 private:
  // Publishes `latest` unless it would say what its tag's last message said (and `every` is
  // off).
  void PublishValue(MosquittoClient& client, const LatestValue& latest);

  const MqttSettings& settings_;
  const PublishedTags& tags_;
  const LatestValues& latest_;
  MqttCounters& counters_;
  const std::string prefix_;  // "<topic>/"
  const std::string statusTopic_;
  std::string topic_;  // the topic being published, kept to reuse its memory
  // By handle: the payload last published on the connection; empty when none was, or when the
  // next value must go out whatever it says (after a write).
  std::vector<std::string> lastPayload_;
};

}  // namespace tavrel
