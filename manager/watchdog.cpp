#include "manager/watchdog.h"

#include "platform/process/quit_signal.h"

namespace tavrel {

Watchdog::Watchdog(const BridgeControl& bridge, std::chrono::milliseconds period)
    : bridge_(bridge), period_(period) {}

bool Watchdog::Tick() const {
  // Started only when certainly none runs: a look-up that cannot tell (no descriptor left,
  // no /proc) must not add a bridge to one that may run.
  if (bridge_.FindBridgeProcess() != pid_t{0}) return false;
  bridge_.StartBridge();
  return true;
}

int Watchdog::RunUntilQuit() const {
  while (true) {
    if (const int quit = WaitForQuitSignalFor(period_); quit != 0) return quit;
    Tick();
  }
}

}  // namespace tavrel
