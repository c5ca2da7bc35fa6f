// The main loop of a desktop program that runs in the background (the tray programs): it
// ends on QApplication::quit() (their "退出系统") or on a quit signal, never because the last
// window closed.
#pragma once

namespace tavrel {

// Runs the application's event loop until then; the quit signals must be blocked
// (BlockQuitSignals, first in main).
void RunUntilQuitOrQuitSignal();

}  // namespace tavrel
