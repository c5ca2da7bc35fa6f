// Asking another process to quit and waiting for its end, without polling and without ever
// ending it by force.
//
// The process is held from the moment it is found, so that the request reaches that process
// even if its id were reused meanwhile, and the wait ends the moment it ends, whether or not
// it is a child:
//   - Linux: by a process descriptor (pidfd); the request is the quit signal (SIGTERM), and the
//     descriptor turns readable when the process ends (a zombie has ended).
//   - Windows: by a process handle; the request is the quit message WM_BRIDGE_QUIT with wParam
//     and lParam 255, posted to every top-level window of the process (quit_request.h), and
//     the wait is on the handle. A process that is still starting has no quit window yet:
//     the message is posted again until its quit window has taken it.
#pragma once

#include <sys/types.h>

#include <chrono>

namespace tavrel {

// Asks process `pid` to quit and waits up to `timeout` for it to end. True when it has ended,
// or no such process exists; false when it still runs after the wait (or cannot be waited
// for). Reaps nothing: on Linux a child that has ended is left for the caller to collect.
bool AskToQuitAndWaitForEnd(pid_t pid, std::chrono::milliseconds timeout);

}  // namespace tavrel
