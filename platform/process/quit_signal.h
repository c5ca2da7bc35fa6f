// The quit request of a headless program: SIGTERM or SIGINT.
//
// The manager asks the bridge to quit with kQuitSignal; a person at a terminal or the system
// does the same with SIGINT or SIGTERM. Each program turns them into its own orderly stop.
#pragma once

#include <signal.h>

inline constexpr int kQuitSignal = SIGTERM;

// Blocks SIGTERM and SIGINT in the calling thread and in every thread it starts afterwards.
// Call it first in main, before any thread exists, then wait with WaitForQuitSignal.
void BlockQuitSignals();

// Waits until SIGTERM or SIGINT arrives (they must be blocked) and returns its number.
int WaitForQuitSignal();
