// The manager's tray icon: the manager's application icon (desktop/app_icons.h), tip `watch` (at
// most kTrayTipLength bytes of it, never cut inside a character) and a menu of one item,
// "退出系统", which ends the manager.
#pragma once

#include <QMenu>
#include <functional>
#include <memory>
#include <string>

#include "manager/manager_tray.h"

namespace tavrel {

inline constexpr std::size_t kTrayTipLength = 127;

// The tip the tray shows for the settings' `watch` (GBK).
std::string ManagerTrayTip(const std::string& watch);

// The tray menu; its one item runs `quit`.
std::unique_ptr<QMenu> ManagerTrayMenu(const std::function<void()>& quit);

// The tray, or null when no display is available (the manager then runs headless).
std::unique_ptr<ManagerTray> MakeManagerTray(const std::string& watch);

}  // namespace tavrel
