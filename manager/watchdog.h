// The watchdog: keeps the bridge running until the manager is asked to quit.
//
// Every period it looks for this folder's bridge (BridgeControl::FindBridgeProcess) and starts
// it when none runs; when the look-up cannot tell, the bridge is taken as running. There is no
// limit on restarts and no back-off. Each start is logged, at most one line a minute:
//   watchdog: the bridge was not running; started <path>
// and when it starts the bridge again within the minute, the starts are counted and the next
// line, a minute or more later, ends with " (started N times since the last line)"; a tick that
// finds the bridge running again after counted starts says so once the minute is over. When a
// bridge of another installation holds the single-instance lock (so this folder's cannot
// start), the line names it: "; the single-instance lock is held by the bridge of another
// installation: process <id> from <folder>".
//
// The waiting between ticks is a wait for a quit request (quit_request.h), which the program
// must listen for, so a quit request ends the watchdog at once instead of at the next tick. A
// watchdog is used by one thread.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "common/daily_log.h"
#include "manager/bridge_control.h"

namespace tavrel {

inline constexpr std::chrono::milliseconds kWatchdogPeriod{5000};
inline constexpr std::chrono::milliseconds kWatchdogLogInterval{60000};

class Watchdog {
 public:
  using Clock = std::chrono::steady_clock;

  // `bridge` and `log` must outlive the watchdog.
  Watchdog(const BridgeControl& bridge, const DailyLog& log,
           std::chrono::milliseconds period = kWatchdogPeriod,
           std::function<Clock::time_point()> now = Clock::now);

  // One tick: starts the bridge when certainly none of this folder runs. True when it
  // started one.
  bool Tick();

  // Ticks every period until a quit request arrives, which it takes. The first tick comes one
  // period after the call.
  void RunUntilQuit();

 private:
  // Writes `line` when no line was written within the interval; true when written.
  bool WriteAtMostOnceAMinute(const std::string& line);

  const BridgeControl& bridge_;
  const DailyLog& log_;
  std::chrono::milliseconds period_;
  std::function<Clock::time_point()> now_;
  std::optional<Clock::time_point> lastLine_;
  unsigned long startsUntold_ = 0;  // starts since the last line that told of them
};

}  // namespace tavrel
