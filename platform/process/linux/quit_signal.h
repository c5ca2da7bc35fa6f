// The quit signals of the Linux programs: SIGTERM and SIGINT (quit_request.h).
//
// The manager asks the bridge to quit with kQuitSignal; a person at a terminal or the system
// does the same with SIGINT or SIGTERM.
#pragma once

#include <signal.h>

namespace tavrel {

inline constexpr int kQuitSignal = SIGTERM;

// The set of SIGTERM and SIGINT.
sigset_t QuitSignalSet();

}  // namespace tavrel
