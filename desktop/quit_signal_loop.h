// The main loop of a desktop program that runs in the background (the tray programs): it
// ends on EndEventLoop() (their "退出系统") or on a quit signal, never because the last window
// closed.
#pragma once

namespace tavrel {

// Runs the application's event loop until then; the quit signals must be blocked
// (ListenForQuitRequests, first in main).
void RunUntilQuitOrQuitSignal();

// Ends the application's event loop, and every loop nested in it (a modal dialog's), at once.
// Unlike QApplication::quit(), which asks every window to close and gives up when one refuses,
// no window can hold the stop back: what a window still waits for is the program's orderly stop
// to bound.
void EndEventLoop();

}  // namespace tavrel
