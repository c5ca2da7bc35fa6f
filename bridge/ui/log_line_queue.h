// The log list's side of the bridge's log: lines formatted and queued on the logging thread,
// taken by the user-interface thread.
//
// A line is "%s  %s": the local time "%04d-%02d-%02d %02d:%02d:%02d:%03d" (milliseconds after
// a colon) and the message, cut to its first 1024 bytes (never inside a character) followed
// by "......" when it is longer. While the queue is paused, arriving lines are discarded.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/bridge_log.h"
#include "common/mutex.h"

namespace tavrel {

inline constexpr std::size_t kLogListMessageLength = 1024;

std::string LogListLine(WallTime when, std::string_view text);

class LogLineQueue final : public LogSink {
 public:
  // Any thread. Queues the line unless paused; a line that finds the queue empty calls the
  // wake-up, under the queue's lock, so it must only post (never take the lines itself).
  void AddLogMessage(WallTime when, std::string_view text) override;

  // The queued lines, oldest first; the queue is then empty.
  std::vector<std::string> TakeLines();

  void SetPaused(bool paused);
  bool Paused() const;
  // Called when lines wait to be taken; replaces any earlier wake-up.
  void SetWakeUp(std::function<void()> wakeUp);

 private:
  mutable Mutex mutex_;
  std::vector<std::string> lines_ GUARDED_BY(mutex_);
  bool paused_ GUARDED_BY(mutex_) = false;
  std::function<void()> wakeUp_ GUARDED_BY(mutex_);
};

}  // namespace tavrel
