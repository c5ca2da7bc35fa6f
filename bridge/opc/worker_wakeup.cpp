#include "bridge/opc/worker_wakeup.h"

namespace tavrel {

void WorkerWakeup::RequestRestart() {
  {
    const MutexLock lock(mutex_);
    ++pendingRestarts_;
  }
  changed_.notify_all();
}

WorkerWakeup::Wake WorkerWakeup::WaitUntil(const std::stop_token& stop,
                                           Clock::time_point deadline) {
  MutexLock lock(mutex_);
  changed_.wait_until(lock, stop, deadline,
                      [this]() REQUIRES(mutex_) { return pendingRestarts_ > 0; });
  if (stop.stop_requested()) return Wake::kStop;
  if (pendingRestarts_ == 0) return Wake::kDeadline;
  --pendingRestarts_;
  return Wake::kRestart;
}

bool WorkerWakeup::Pause(const std::stop_token& stop, Clock::duration duration) {
  MutexLock lock(mutex_);
  changed_.wait_for(lock, stop, duration, [] { return false; });
  return !stop.stop_requested();
}

}  // namespace tavrel
