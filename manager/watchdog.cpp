#include "manager/watchdog.h"

#include <string>
#include <utility>

#include "platform/process/quit_request.h"

namespace tavrel {

Watchdog::Watchdog(const BridgeControl& bridge, const DailyLog& log,
                   std::chrono::milliseconds period, std::function<Clock::time_point()> now)
    : bridge_(bridge), log_(log), period_(period), now_(std::move(now)) {}

bool Watchdog::Tick() {
  // Started only when certainly none runs: a look-up that cannot tell (no descriptor left,
  // no /proc) must not add a bridge to one that may run.
  if (bridge_.FindBridgeProcess() != pid_t{0}) {
    if (startsUntold_ > 0 &&
        WriteAtMostOnceAMinute("watchdog: the bridge runs; it was started " +
                               std::to_string(startsUntold_) + " times since the last line")) {
      startsUntold_ = 0;
    }
    return false;
  }
  const std::optional<std::string> foreign = bridge_.ForeignBridge();
  bridge_.StartBridge();
  ++startsUntold_;
  std::string line = "watchdog: the bridge was not running; started " + bridge_.ProgramPath();
  if (startsUntold_ > 1) {
    line += " (started " + std::to_string(startsUntold_) + " times since the last line)";
  }
  if (foreign) {
    line += "; the single-instance lock is held by the bridge of another installation: " + *foreign;
  }
  if (WriteAtMostOnceAMinute(line)) startsUntold_ = 0;
  return true;
}

bool Watchdog::WriteAtMostOnceAMinute(const std::string& line) {
  const Clock::time_point now = now_();
  if (lastLine_ && now - *lastLine_ < kWatchdogLogInterval) return false;
  log_.WriteLogLine(line);
  lastLine_ = now;
  return true;
}

void Watchdog::RunUntilQuit() {
  while (!WaitForQuitRequestFor(period_)) Tick();
}

}  // namespace tavrel
