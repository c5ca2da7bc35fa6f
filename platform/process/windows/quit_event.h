// The event behind the quit requests of quit_request.h on Windows, for a program whose main
// thread waits in an event loop of its own (the desktop front ends) rather than in
// WaitForQuitRequest.
#pragma once

#include <windows.h>

namespace tavrel {

// The auto-reset event every request sets: a wait on it that is satisfied takes the request,
// as WaitForQuitRequest does. Made on first use (ListenForQuitRequests makes it) and never
// closed.
HANDLE QuitRequestEvent();

}  // namespace tavrel
