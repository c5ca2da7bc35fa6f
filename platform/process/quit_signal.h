// The quit request of a headless program: SIGTERM or SIGINT.
//
// The manager asks the bridge to quit with kQuitSignal; a person at a terminal or the system
// does the same with SIGINT or SIGTERM. Each program turns them into its own orderly stop.
#pragma once

#include <signal.h>

#include <chrono>

namespace tavrel {

inline constexpr int kQuitSignal = SIGTERM;

// The set of SIGTERM and SIGINT.
sigset_t QuitSignalSet();

// Blocks SIGTERM and SIGINT in the calling thread and in every thread it starts afterwards.
// Call it first in main, before any thread exists, then wait with WaitForQuitSignal.
void BlockQuitSignals();

// Waits until SIGTERM or SIGINT arrives (they must be blocked) and returns its number.
int WaitForQuitSignal();

// Waits up to `timeout` for SIGTERM or SIGINT (they must be blocked). Returns the signal's
// number, or 0 when the time ran out first. A negative timeout does not wait; a pending
// signal is still taken. A timeout beyond a hundred years waits a hundred years.
int WaitForQuitSignalFor(std::chrono::milliseconds timeout);

}  // namespace tavrel
