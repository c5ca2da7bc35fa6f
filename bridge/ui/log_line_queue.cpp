#include "bridge/ui/log_line_queue.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include "common/gbk_prefix.h"

namespace tavrel {

std::string LogListLine(WallTime when, std::string_view text) {
  const std::time_t seconds = static_cast<std::time_t>(when.seconds);
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d:%03d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                when.milliseconds);
  std::string line = stamp;
  line += "  ";
  if (text.size() > kLogListMessageLength) {
    line += GbkPrefix(text, kLogListMessageLength);
    line += "......";
  } else {
    line += text;
  }
  return line;
}

void LogLineQueue::AddLogMessage(WallTime when, std::string_view text) {
  std::string line = LogListLine(when, text);
  const MutexLock lock(mutex_);
  if (paused_) return;
  lines_.push_back(std::move(line));
  if (lines_.size() == 1 && wakeUp_) wakeUp_();
}

std::vector<std::string> LogLineQueue::TakeLines() {
  const MutexLock lock(mutex_);
  return std::exchange(lines_, {});
}

void LogLineQueue::SetPaused(bool paused) {
  const MutexLock lock(mutex_);
  paused_ = paused;
}

bool LogLineQueue::Paused() const {
  const MutexLock lock(mutex_);
  return paused_;
}

void LogLineQueue::SetWakeUp(std::function<void()> wakeUp) {
  const MutexLock lock(mutex_);
  wakeUp_ = std::move(wakeUp);
}

}  // namespace tavrel
