// Asking a process to end and waiting for its end, without polling.
//
// The process is held by a process descriptor (pidfd) from the moment it is found: the signal
// reaches that process even if its id were reused meanwhile, and the descriptor turns
// readable the moment the process ends (a zombie has ended), whether or not it is a child.
#pragma once

#include <sys/types.h>

#include <chrono>

namespace tavrel {

// Sends `signal` to process `pid` and waits up to `timeout` for it to end. True when it has
// ended, or no such process exists; false when it still runs after the wait (or cannot be
// waited for). Reaps nothing: a child that has ended is left for the caller to collect.
bool SignalAndWaitForEnd(pid_t pid, int signal, std::chrono::milliseconds timeout);

}  // namespace tavrel
