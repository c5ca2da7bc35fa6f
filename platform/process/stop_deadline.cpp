#include "platform/process/stop_deadline.h"

#include <unistd.h>

#include <cstdio>

StopDeadline::StopDeadline(std::chrono::milliseconds limit, int exitCode)
    : watch_([this, limit, exitCode] {
        std::unique_lock lock(mutex_);
        if (done_.wait_for(lock, limit, [this] { return finished_; })) return;
        std::fprintf(stderr, "the stop took longer than %lld ms: ending now\n",
                     static_cast<long long>(limit.count()));
        _exit(exitCode);
      }) {}

StopDeadline::~StopDeadline() {
  {
    std::lock_guard lock(mutex_);
    finished_ = true;
  }
  done_.notify_all();
  watch_.join();
}
