// Ending the calling process at once, for a stop that can no longer finish (stop_deadline.h).
#pragma once

namespace tavrel {

// Ends the calling process with `exitCode` at once: no destructors, no exit handlers, no
// flushing of streams. On Windows not even the libraries' detach routines run (TerminateProcess
// rather than ExitProcess, which _exit calls there): they could wait for a lock that a stuck
// thread holds.
[[noreturn]] void EndProcessNow(int exitCode);

}  // namespace tavrel
