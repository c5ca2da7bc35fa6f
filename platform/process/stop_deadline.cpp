#include "platform/process/stop_deadline.h"

#include <cstdio>

#include "platform/process/end_process.h"

namespace tavrel {

StopDeadline::StopDeadline(std::chrono::milliseconds limit, int exitCode)
    : watch_([this, limit, exitCode] {
        MutexLock lock(mutex_);
        if (done_.wait_for(lock, limit, [this]() REQUIRES(mutex_) { return finished_; })) return;
        std::fprintf(stderr, "the stop took longer than %lld ms: ending now\n",
                     static_cast<long long>(limit.count()));
        EndProcessNow(exitCode);
      }) {}

StopDeadline::~StopDeadline() {
  {
    MutexLock lock(mutex_);
    finished_ = true;
  }
  done_.notify_all();
  watch_.join();
}

}  // namespace tavrel
