// The quit requests of a headless program, and the wait for them.
//
// A program is asked to quit
//   - on Linux by SIGTERM (the manager's request to the bridge, and the system's) or SIGINT
//     (Ctrl+C at a terminal);
//   - on Windows by a console control event (Ctrl+C, Ctrl+Break, the console's close, logoff,
//     shutdown), by the end of the session (WM_ENDSESSION), or at its hidden top-level window
//     by the message WM_BRIDGE_QUIT (WM_USER + 85) with wParam 255 (the manager's request to
//     the bridge; any other wParam is ignored) or by the window's close (WM_CLOSE, as taskkill
//     without /F sends it);
//   - on both, by RequestQuit from inside the process (a Windows service's stop).
// Requests are not counted: those that arrive before a wait make one pending request, which
// the next wait takes. Each program turns a request into its own orderly stop.
//
// On Windows the system ends the process soon after a close, logoff or shutdown event, or the
// end of the session, has been handled; the handler therefore holds on (the system's limit is
// a few seconds) so that the orderly stop runs meanwhile and the process ends by itself.
#pragma once

#include <chrono>

namespace tavrel {

// Makes the requests from outside reach the waits. Call it first in main, before any thread
// exists.
//   - Linux: blocks SIGTERM and SIGINT in the calling thread and in every thread it starts
//     afterwards, so that they stay pending until a wait takes them.
//   - Windows: installs the console control handler and makes the hidden top-level window, on
//     a thread of its own with its own message loop; both stay until the process ends, and
//     later calls do nothing. Returns once the window exists.
void ListenForQuitRequests();

// Asks this process to quit, from any thread (after ListenForQuitRequests on Linux, where the
// request is SIGTERM to the process).
void RequestQuit();

// Waits until a request arrives, and takes it.
void WaitForQuitRequest();

// Waits up to `timeout` for a request. True when one was taken, false when the time ran out
// first. A negative timeout does not wait; a pending request is still taken. A timeout beyond
// a hundred years waits a hundred years.
bool WaitForQuitRequestFor(std::chrono::milliseconds timeout);

}  // namespace tavrel
