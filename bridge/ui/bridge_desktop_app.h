// The bridge's desktop front end: the application object, the tray icon with its menu, and
// the main panel and log list, both made hidden when the bridge runs and shown from the menu.
//
// The Qt event loop runs on the main thread; a quit signal (SIGTERM, SIGINT) and the tray's
// "退出系统" both end it, and the process then stops the bridge as it always does. The tray's
// tip is the settings' `programe_name`. Destroying the front end closes its windows and waits
// for a traversal in progress.
//
// Where no tray can be shown (a desktop without a tray host, a kiosk, a bare X server), the main
// panel opens at the start, so the window is never out of reach; `Tavrel --window` opens it at
// the start in any case.
#pragma once

#include <memory>

#include "bridge/core/bridge_desktop.h"

namespace tavrel {

inline constexpr char kWindowOption[] = "--window";

struct BridgeDesktopOptions {
  bool openPanel = false;  // open the main panel at the start, tray or not
};

// The options the command line asks for: kWindowOption among the arguments opens the panel.
BridgeDesktopOptions DesktopOptionsFrom(int argc, const char* const* argv);

// The front end, or null when no display is available (the bridge then runs headless).
std::unique_ptr<BridgeDesktop> MakeBridgeDesktop(BridgeDesktopOptions options = {});

}  // namespace tavrel
