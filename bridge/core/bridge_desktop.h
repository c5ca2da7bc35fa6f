// BridgeDesktop: the seam between the bridge and its desktop front end (tray icon, main panel,
// log list), which lives in bridge/ui and is the only part of the bridge that knows Qt.
//
// The process makes the front end after the single-instance check and before the start-up,
// so that the log list receives the start-up's lines from "版本6.1.1" on; the factory answers
// null when there is no display, and the bridge then runs headless. RunUntilQuit replaces the
// headless wait for a quit signal: it runs the window system's loop on the main thread until a
// quit signal arrives or the user chooses "退出系统", and returns; the orderly stop that follows
// is the same for both.
#pragma once

#include <functional>
#include <memory>

#include "common/bridge_log.h"

namespace tavrel {

class BridgeRuntime;

class BridgeDesktop {
 public:
  virtual ~BridgeDesktop() = default;
  // The log list's receiver of log messages; attached by the start-up.
  virtual std::shared_ptr<LogSink> LogLines() = 0;
  // Shows the tray icon over the running `runtime` and returns when the bridge is to stop. The
  // runtime must outlive the front end's use of it, which ends when this returns.
  virtual void RunUntilQuit(BridgeRuntime& runtime) = 0;
};

// Makes the front end, or null when no display is available.
using BridgeDesktopFactory = std::function<std::unique_ptr<BridgeDesktop>()>;

}  // namespace tavrel
