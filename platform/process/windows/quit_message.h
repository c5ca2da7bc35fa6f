// The quit message of the Windows programs, WM_BRIDGE_QUIT: the manager posts it to every
// top-level window of the bridge's process, and the bridge quits when its wParam is
// kQuitMessageParameter (any other is ignored). The manager's lParam is the same number.
#pragma once

#include <windows.h>

namespace tavrel {

inline constexpr UINT kQuitMessage = WM_USER + 85;  // 0x0455
inline constexpr WPARAM kQuitMessageParameter = 255;

// Posts `message` with `wParam` and `lParam` to every top-level window of process `pid` (the
// children of the desktop window, hidden ones included); the number of windows it was posted
// to.
int PostToTopLevelWindows(DWORD pid, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tavrel
