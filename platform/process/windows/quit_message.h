// The quit message of the Windows programs, WM_BRIDGE_QUIT: the manager posts it to every
// top-level window of the bridge's process, and the bridge quits when its wParam is
// kQuitMessageParameter (any other is ignored). The manager's lParam is the same number.
#pragma once

#include <windows.h>

namespace tavrel {

inline constexpr UINT kQuitMessage = WM_USER + 85;  // 0x0455
inline constexpr WPARAM kQuitMessageParameter = 255;

// The class of the hidden window where a program of ours takes its quit requests
// (quit_request.h).
inline constexpr wchar_t kQuitWindowClass[] = L"TavrelQuitRequests";

// Posts `message` with `wParam` and `lParam` to every top-level window of process `pid` (the
// children of the desktop window, hidden ones included). Returns the number of those that were
// a quit window (kQuitWindowClass): the others, such as the system's input method window that
// a thread gets with its first window, and may show before it, do not listen.
int PostToTopLevelWindows(DWORD pid, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tavrel
