// MqttWrites: the writes asked for through the broker, done one after another on a thread of
// their own, because a write waits on its OPC server and the publisher must not.
//
// A write goes through the tag's connection, as the API's writes do. At most kMaxWaiting
// writes wait; one more is refused at once. The destructor waits for the write in progress
// (for as long as its server takes) and drops those still waiting.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <thread>
#include <vector>

#include "bridge/core/bridge_project.h"
#include "bridge/mqtt/mqtt_formatter.h"
#include "common/mutex.h"

namespace tavrel {

inline constexpr char kTooManyWritesText[] = "too many writes are waiting";
// The answer to a write through the broker to a tag the project marks read only (dir="1").
inline constexpr char kReadOnlyTagText[] = "the tag is read only";

class MqttWrites {
 public:
  static constexpr std::size_t kMaxWaiting = 1000;

  // `finished` is called on the writes' thread after each write, to wake the publisher.
  MqttWrites(BridgeProject& project, std::function<void()> finished);
  ~MqttWrites();
  MqttWrites(const MqttWrites&) = delete;
  MqttWrites& operator=(const MqttWrites&) = delete;

  // Queues `request`; false (and nothing queued) when kMaxWaiting wait already.
  bool Queue(MqttWriteRequest request);
  // The outcomes of the writes finished since the last call, in order.
  std::vector<MqttWriteOutcome> TakeOutcomes();

 private:
  void Run(std::stop_token stop);

  BridgeProject& project_;
  const std::function<void()> finished_;
  Mutex mutex_;
  std::condition_variable_any ready_;
  std::deque<MqttWriteRequest> waiting_ GUARDED_BY(mutex_);
  std::vector<MqttWriteOutcome> outcomes_ GUARDED_BY(mutex_);
  std::jthread thread_;  // last: starts when the rest is ready, stops first
};

}  // namespace tavrel
