// ManagerTray: the seam between the manager and its tray icon (manager/qt_manager_tray.h),
// the only part of the manager that knows Qt.
//
// The manager makes the tray, when a factory is given and a display is available, right after
// reading its settings; the tray shows at once. RunUntilQuit replaces the headless watchdog
// loop: it runs the window system's loop on the main thread, calls `tick` every `period`, and
// returns when a quit signal arrives or the user chooses "退出系统". The exit that follows is
// the same for both.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tavrel {

class ManagerTray {
 public:
  virtual ~ManagerTray() = default;
  virtual void RunUntilQuit(const std::function<void()>& tick,
                            std::chrono::milliseconds period) = 0;
};

// Makes the tray with tip `tip` (the settings' `watch`), or null when there is no display.
using ManagerTrayFactory = std::function<std::unique_ptr<ManagerTray>(const std::string& tip)>;

}  // namespace tavrel
