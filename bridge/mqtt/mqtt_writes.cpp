#include "bridge/mqtt/mqtt_writes.h"

#include <pthread.h>

#include "bridge/core/server_connection.h"

namespace tavrel {

MqttWrites::MqttWrites(BridgeProject& project, std::function<void()> finished)
    : project_(project),
      finished_(std::move(finished)),
      thread_([this](std::stop_token stop) { Run(stop); }) {
  pthread_setname_np(thread_.native_handle(), "MqttWrites");
}

MqttWrites::~MqttWrites() {
  thread_.request_stop();
  thread_.join();
}

bool MqttWrites::Queue(MqttWriteRequest request) {
  {
    MutexLock lock(mutex_);
    if (waiting_.size() >= kMaxWaiting) return false;
    waiting_.push_back(std::move(request));
  }
  ready_.notify_one();
  return true;
}

std::vector<MqttWriteOutcome> MqttWrites::TakeOutcomes() {
  MutexLock lock(mutex_);
  return std::exchange(outcomes_, {});
}

void MqttWrites::Run(std::stop_token stop) {
  MutexLock lock(mutex_);
  while (ready_.wait(lock, stop, [this]() REQUIRES(mutex_) { return !waiting_.empty(); })) {
    const MqttWriteRequest request = std::move(waiting_.front());
    waiting_.pop_front();
    lock.unlock();
    ProjectTag* tag = project_.FindTag(request.handle);
    WriteResult result = tag->connection->WriteTag(*tag, request.value);
    lock.lock();
    outcomes_.push_back({request.handle, std::move(result)});
    finished_();
  }
}

}  // namespace tavrel
