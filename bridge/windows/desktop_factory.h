// The bridge's desktop in the Windows build: its windows when the build has a Qt for Windows
// (qt_desktop.cpp), none otherwise (no_desktop.cpp); CMake picks the file.
#pragma once

#include "bridge/core/bridge_desktop.h"

namespace tavrel {

// The desktop the command line asks for (`Tavrel --window` opens the main panel at the start,
// bridge/ui/bridge_desktop_app.h); empty in a build without windows, where the bridge runs
// headless.
BridgeDesktopFactory WindowsDesktopFrom(int argc, const char* const* argv);

}  // namespace tavrel
