// The bridge's desktop front end: the application object, the tray icon with its menu, and
// the main panel and log list, both made hidden when the bridge runs and shown from the menu.
//
// The Qt event loop runs on the main thread; a quit signal (SIGTERM, SIGINT) and the tray's
// "退出系统" both end it, and the process then stops the bridge as it always does. The tray's
// tip is the settings' `programe_name`. Destroying the front end closes its windows and waits
// for a traversal in progress.
#pragma once

#include <memory>

#include "bridge/core/bridge_desktop.h"

namespace tavrel {

// The front end, or null when no display is available (the bridge then runs headless).
std::unique_ptr<BridgeDesktop> MakeBridgeDesktop();

}  // namespace tavrel
