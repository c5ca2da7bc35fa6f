// WorkerWakeup: how other threads reach a connection's worker, and how the worker waits.
//
// The worker waits for its next deadline, a restart request or its stop request, whichever
// comes first; its pauses end early only when it is asked to stop. A restart request comes
// from the server's shutdown call-back, which the server may hold longer than the connection
// lives: the wakeup is shared with it, and a request made after the worker ended is kept and
// read by nobody.
#pragma once

#include <chrono>
#include <condition_variable>
#include <stop_token>

#include "common/mutex.h"

namespace tavrel {

class WorkerWakeup {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Wake { kDeadline, kRestart, kStop };

  // Any thread.
  void RequestRestart();

  // The worker: waits until `deadline`; the oldest pending restart request is taken
  // (kRestart). Requests queue up: each one is one restart, in turn.
  Wake WaitUntil(const std::stop_token& stop, Clock::time_point deadline);
  // The worker: waits `duration` unless a stop is requested; false when stopping.
  bool Pause(const std::stop_token& stop, Clock::duration duration);

 private:
  Mutex mutex_;
  std::condition_variable_any changed_;
  int pendingRestarts_ GUARDED_BY(mutex_) = 0;  // each is taken by one wait
};

}  // namespace tavrel
