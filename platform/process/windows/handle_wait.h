// Waiting on a Windows object handle for a time of any length.
#pragma once

#include <windows.h>

#include <chrono>

namespace tavrel {

// Waits up to `timeout` for `handle` to be signalled; true when it was (an auto-reset event is
// then reset). A negative timeout does not wait; one beyond a hundred years waits a hundred
// years (one call of the system waits at most about 49 days; longer waits are made of several).
bool WaitForHandle(HANDLE handle, std::chrono::milliseconds timeout);

}  // namespace tavrel
