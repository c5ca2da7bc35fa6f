// StopDeadline: a bound on a program's orderly stop.
//
// Made when the stop begins and destroyed when it is done. If the stop is not done within the
// limit (a thread is stuck in a call to a hung server, which no flag can interrupt), the
// process ends at once with `exitCode`, without running destructors that the stuck thread
// may still depend on. Everything the programs keep on disk is written whole when it is
// written (log lines appended in one call, files replaced atomically), so nothing is left
// half done by ending this way.
#pragma once

#include <chrono>
#include <condition_variable>
#include <thread>

#include "common/mutex.h"

namespace tavrel {

class StopDeadline {
 public:
  StopDeadline(std::chrono::milliseconds limit, int exitCode);
  // The stop finished: the deadline is called off.
  ~StopDeadline();
  StopDeadline(const StopDeadline&) = delete;
  StopDeadline& operator=(const StopDeadline&) = delete;

 private:
  Mutex mutex_;
  std::condition_variable_any done_;
  bool finished_ GUARDED_BY(mutex_) = false;
  std::thread watch_;
};

}  // namespace tavrel
