// The bridge's log: LogMessage(text, level), LogCheck(text) and WriteLogText(name, text).
//
// A message of level 0 or above goes first to the attached log sink, when there is one, and then as
// one stamped line into the daily log; a message of a negative level is dropped. Check lines go to
// the check log only. Every method may be called from any thread at any time.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/daily_log.h"
#include "common/mutex.h"

namespace tavrel {

// Receiver of the bridge's log messages, attached with BridgeLog::AttachLogSink. AddLogMessage is
// called on the thread that logged and must not block for long: a sink that shows the line on
// another thread queues it. Calls are serialised, and none is made once DetachLogSink has returned
// (it waits for a running call), so the sink must not log or attach or detach sinks from inside
// AddLogMessage.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void AddLogMessage(WallTime when, std::string_view text) = 0;
};

class BridgeLog {
 public:
  explicit BridgeLog(std::string programDirectory, WallClock clock = SystemWallTime);

  BridgeLog(const BridgeLog&) = delete;
  BridgeLog& operator=(const BridgeLog&) = delete;

  // A level below 0 drops the message; otherwise it goes to the sink and the daily log.
  void LogMessage(std::string_view text, int level) EXCLUDES(sinkMutex_);
  // A problem that keeps the bridge from doing its work: logged as by LogMessage(text, 0), and
  // shown on standard error when that is a terminal (terminal_echo.h).
  void LogProblem(std::string_view text) EXCLUDES(sinkMutex_);
  // One stamped line in the check log; the sink does not receive it.
  void LogCheck(std::string_view text) const;
  // `text` appended unchanged to log/<name>.txt (see DailyLog::WriteLogText).
  void WriteLogText(std::string_view name, std::string_view text) const;
  // One stamped line in the daily log only (as "程序启动" at the end of start-up).
  void WriteLogLine(std::string_view text) const;

  // Attaches `sink`; replaces any earlier sink.
  void AttachLogSink(std::shared_ptr<LogSink> sink) EXCLUDES(sinkMutex_);
  void DetachLogSink() EXCLUDES(sinkMutex_);

 private:
  DailyLog files_;
  Mutex sinkMutex_;
  std::shared_ptr<LogSink> sink_ GUARDED_BY(sinkMutex_);
};

}  // namespace tavrel
