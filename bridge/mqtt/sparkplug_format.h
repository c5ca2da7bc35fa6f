// SparkplugFormat: the bridge as a Sparkplug B edge node. Group id = the settings' topic, edge
// node id = the computer name, one device per configured group (published_tags.h); every tag
// is a metric of its group's device, named by its tag id, aliased by its tag handle.
//
//   NDEATH  the will of each connection, and published before an orderly disconnect: the node
//           metric "bdSeq" (UInt64) of the session, which counts sessions 0..255 and wraps (an
//           attempt that never got to its NBIRTH is no session: the next keeps its number).
//   NBIRTH  first after each connect: "bdSeq" (the will's value) and "Node Control/Rebirth"
//           (false). seq 0.
//   DBIRTH  one per device right after: every metric with name, alias, data type
//           (sparkplug_values.h), value or is_null, time stamp, and the property "Quality"
//           (Int32: 192 good, 0 not good).
//   DDATA   per device, the changes handed over together, by alias with data type, value and
//           time stamp; "Quality" when the value is bad or the metric's last one was.
// seq counts 0..255 over the births and data of a session and wraps. A "Node Control/Rebirth"
// true in an NCMD publishes the births again (seq from 0, same bdSeq), at most once every
// kRebirthSpacing: the requests that arrive meanwhile are answered by one birth sequence when
// the spacing has passed, so that no host can make the node publish its whole state without
// end. A metric whose tag has no value yet is born null and of bad quality.
//
// With writes on, each metric of a DCMD (by alias, or by name within the device) is written to
// its tag; the result is a DDATA of the tag with its current value and the properties
// "WriteResult" (Int32, the write's code) and "WriteError" (String).
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "bridge/mqtt/latest_values.h"
#include "bridge/mqtt/mqtt_formatter.h"
#include "bridge/mqtt/mqtt_settings.h"
#include "bridge/mqtt/published_tags.h"
#include "bridge/mqtt/sparkplug_b.pb.h"

namespace tavrel {

inline constexpr char kRebirthMetric[] = "Node Control/Rebirth";
inline constexpr char kBdSeqMetric[] = "bdSeq";

class SparkplugFormat final : public MqttFormatter {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kRebirthSpacing{3};

  // `latest`: the publisher's values, read on its thread.
  SparkplugFormat(const MqttSettings& settings, const PublishedTags& tags,
                  const LatestValues& latest, std::string edgeNode, MqttCounters& counters);

  MosquittoClient::Will NextWill() override;
  void Start(MosquittoClient& client) override;
  void PublishChanges(MosquittoClient& client, const std::vector<LatestValue>& changes) override;
  void Receive(MosquittoClient& client, std::string_view topic, std::string_view payload,
               std::vector<MqttWriteRequest>& writes) override;
  void PublishWriteOutcome(MosquittoClient& client, const MqttWriteOutcome& outcome) override;
  // The births a rebirth request asked for, once the spacing since the last ones has passed.
  void PublishDue(MosquittoClient& client) override;
  void Stop(MosquittoClient& client) override;

 private:
  std::string Topic(std::string_view messageType) const;
  std::string DeviceTopic(std::string_view messageType, std::size_t device) const;
  void PublishBirths(MosquittoClient& client);
  // Stamps payload_ with the time and the next seq and publishes it.
  void PublishPayload(MosquittoClient& client, const std::string& topic, std::uint64_t values);
  // Adds the metric of `latest` to payload_ (with its name in a birth).
  tavrel::sparkplug::Metric& AddMetric(const LatestValue& latest, bool birth);
  void ReceiveCommand(MosquittoClient& client, std::string_view device,
                      const tavrel::sparkplug::Payload& command,
                      std::vector<MqttWriteRequest>& writes);
  std::string NodeDeathPayload() const;

  const MqttSettings& settings_;
  const PublishedTags& tags_;
  const LatestValues& latest_;
  MqttCounters& counters_;
  const std::string edgeNode_;
  std::uint64_t bdSeq_ = 0;  // of the session being made or run
  bool born_ = false;        // its NBIRTH went out: the next connection is a new session
  std::uint64_t seq_ = 0;
  Clock::time_point lastBirths_;
  bool rebirthAsked_ = false;          // a rebirth request waits for the spacing to pass
  std::vector<std::uint8_t> lastBad_;  // by handle: the last value published was bad
  std::vector<std::vector<const LatestValue*>> byDevice_;
  tavrel::sparkplug::Payload payload_;  // reused, so its metrics' memory is too
  std::string bytes_;
};

}  // namespace tavrel
