#include "common/bridge_log.h"

#include <utility>

#include "common/terminal_echo.h"

namespace tavrel {

BridgeLog::BridgeLog(std::string programDirectory, WallClock clock)
    : files_(std::move(programDirectory), std::move(clock)) {}

void BridgeLog::LogMessage(std::string_view text, int level) {
  if (level < 0) return;
  const WallTime now = files_.Now();
  {
    // Held across the call so that DetachLogSink cannot return while the sink still runs.
    MutexLock lock(sinkMutex_);
    if (sink_) sink_->AddLogMessage(now, text);
  }
  AppendToFile(files_.DailyLogPath(now), FormatLogLine(now, text));
}

void BridgeLog::LogProblem(std::string_view text) {
  LogMessage(text, 0);
  EchoToTerminal("Tavrel", text);
}

void BridgeLog::LogCheck(std::string_view text) const { files_.WriteCheckLine(text); }

void BridgeLog::WriteLogText(std::string_view name, std::string_view text) const {
  files_.WriteLogText(name, text);
}

void BridgeLog::WriteLogLine(std::string_view text) const { files_.WriteLogLine(text); }

void BridgeLog::AttachLogSink(std::shared_ptr<LogSink> sink) {
  MutexLock lock(sinkMutex_);
  sink_ = std::move(sink);
}

void BridgeLog::DetachLogSink() {
  std::shared_ptr<LogSink> detached;
  {
    MutexLock lock(sinkMutex_);
    detached = std::move(sink_);
  }
  // `detached` may be the last owner; it is released outside the lock.
}

}  // namespace tavrel
