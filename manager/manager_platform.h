// What the manager does differently on Linux and on Windows, beside the sockets
// (platform/net) and the processes (platform/process): the C library's heap and libevent's
// set-up. manager_platform_posix.cpp and manager_platform_windows.cpp, one per build.
#pragma once

namespace tavrel {

// Called first in main. Linux: blocks of 256 KiB and more are mapped one by one and given
// back when freed, and the heaps are trimmed as their tops free up; left alone, the allocator
// raises both after the first large body, and the memory of many bodies received at once
// stays taken after they are gone. Windows: nothing (its heap gives large blocks back itself).
void UseManagerAllocatorSettings();

// Gives the heap's free memory back to the system, after many large bodies were let go.
void ReleaseFreeHeapMemory();

// Prepares libevent for an event loop that another thread stops: its locks (POSIX threads or
// Windows' own), and on Linux SIGPIPE ignored, so that a write to a peer that has gone fails
// instead of ending the process. True when libevent has its locks. Safe to call repeatedly and
// from any thread; the work is done once.
bool PrepareLibeventForThreads();

}  // namespace tavrel
