// MqttPublisher: the MQTT front end (front_end.h): the bridge's values to an MQTT broker, on a
// thread of its own from Start to Stop.
//
// The publisher's value sink sits beside the API's pushes: every applied value is kept as its
// tag's latest (latest_values.h) and the thread publishes what is kept in the configured format
// (json_format.h, sparkplug_format.h). The engine's threads only copy a value under a short
// lock; nothing they do waits for the broker. While the broker lags (the library holds
// unwritten messages, or a thousand of QoS 1 or 2 wait for their acknowledgement) the thread
// takes no new values, so a tag that keeps changing costs one kept value, not a growing queue.
//
// Connecting: one client per connection attempt, with the format's will. When the broker
// cannot be reached, refuses, or the connection is lost, the thread tries again after 1 s,
// then 2, 4 ... up to 30 s; a connection that was accepted resets the pause. Each accepted
// connection publishes the whole state again (the format's Start), so consumers never keep a
// stale picture. The log says when the connection is made, lost, or cannot be made (once per
// outage, not once per attempt).
//
// Stop is the orderly stop: the format's goodbye (the "offline" status, or NDEATH), DISCONNECT,
// and up to two seconds for the broker to take what is queued; then the thread is joined.
// Values pushed after Stop are kept and never published. The destructor stops a publisher that
// is still running; destroy it only once no thread applies values any more (the sink contract).
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "bridge/core/bridge_project.h"
#include "bridge/core/front_end.h"
#include "bridge/core/value_push_sink.h"
#include "bridge/mqtt/latest_values.h"
#include "bridge/mqtt/mosquitto_client.h"
#include "bridge/mqtt/mqtt_formatter.h"
#include "bridge/mqtt/mqtt_settings.h"
#include "bridge/mqtt/mqtt_writes.h"
#include "bridge/mqtt/published_tags.h"
#include "common/bridge_log.h"
#include "wire/wake_event.h"

namespace tavrel {

class MqttPublisher final : public FrontEnd,
                            public ValuePushSink,
                            private MosquittoClient::Handler {
 public:
  // `edgeNode`: the Sparkplug edge node id (the computer name). What is published is counted in
  // `metrics` (MqttCounters).
  MqttPublisher(MqttSettings settings, BridgeProject& project, BridgeLog& log,
                MetricRegistry& metrics, std::string edgeNode);
  ~MqttPublisher() override;
  MqttPublisher(const MqttPublisher&) = delete;
  MqttPublisher& operator=(const MqttPublisher&) = delete;

  ValuePushSink* ValueSink() override { return this; }
  void Start() override;
  void Stop() override;

  // A value without its typed form publishes as one that has none.
  void PushValue(const TagLiveValue& value) override { latest_.Put(value, {}); }
  void PushTypedValue(const TagLiveValue& value, const TypedValue& typed) override {
    latest_.Put(value, typed);
  }

  // True while a connection is accepted; any thread.
  bool Connected() const { return connected_.load(); }
  const MqttCounters& Counters() const { return counters_; }

 private:
  enum class Answer { kNone, kAccepted, kRefused };

  void Run(std::stop_token stop);
  // One connection from its attempt to its end; returns why it ended (empty: the stop).
  std::string RunConnection(const std::stop_token& stop);
  // Waits for the socket or the wake event until `timeout`; false when the connection ended,
  // with the reason in `ended`.
  bool Service(MosquittoClient& client, std::chrono::milliseconds timeout, std::string& ended);
  // The work the library's call-backs noted: the start of an accepted connection, the messages
  // that arrived. Done here, outside the call-backs, where the library holds none of its locks.
  void HandleArrivals(MosquittoClient& client);
  void PublishPending(MosquittoClient& client);
  void SayGoodbye(MosquittoClient& client);
  void PauseBeforeRetry(std::chrono::seconds pause, const std::stop_token& stop);

  void Connected(int code) override;
  void MessageArrived(std::string_view topic, std::string_view payload, bool retained) override;

  const MqttSettings settings_;
  BridgeProject& project_;
  BridgeLog& log_;
  const PublishedTags tags_;
  MqttCounters counters_;
  WakeEvent wake_;
  LatestValues latest_;
  std::unique_ptr<MqttFormatter> format_;
  std::unique_ptr<MqttWrites> writes_;  // only with writes on
  std::vector<LatestValue> batch_;
  std::vector<MqttWriteRequest> requests_;
  std::vector<std::pair<std::string, std::string>> arrived_;  // topic and payload
  Answer answer_ = Answer::kNone;
  bool starting_ = false;  // accepted, the state not yet published
  int refusal_ = 0;
  std::atomic<bool> connected_{false};
  std::jthread thread_;  // from Start to Stop
};

// The MQTT FrontEndFactory: the publisher when config.xml has an `mqtt` element (its notes
// logged), else null.
std::unique_ptr<FrontEnd> MakeMqttFrontEnd(const FrontEndContext& context);

}  // namespace tavrel
