// The watchdog: keeps the bridge running until the manager is asked to quit.
//
// Every period it looks for the bridge (FindBridgeProcess, exact name) and starts it when none
// runs; when the look-up cannot tell, the bridge is taken as running. There is no limit on restarts
// and no back-off; nothing is logged. The waiting between ticks is a wait for the quit signals
// (SIGTERM, SIGINT), which the calling thread must block, so a quit request ends the watchdog at
// once instead of at the next tick.
#pragma once

#include <chrono>

#include "manager/bridge_control.h"

namespace tavrel {

inline constexpr std::chrono::milliseconds kWatchdogPeriod{5000};

class Watchdog {
 public:
  // `bridge` must outlive the watchdog.
  explicit Watchdog(const BridgeControl& bridge,
                    std::chrono::milliseconds period = kWatchdogPeriod);

  // One tick: starts the bridge when certainly no process carries its name. True when it
  // started one.
  bool Tick() const;

  // Ticks every period until a quit signal arrives, and returns that signal's number. The
  // first tick comes one period after the call.
  int RunUntilQuit() const;

 private:
  const BridgeControl& bridge_;
  std::chrono::milliseconds period_;
};

}  // namespace tavrel
