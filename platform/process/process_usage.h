// What the calling process uses of the machine: its CPU time and its resident memory, for the
// load programs that print them.
#pragma once

#include <cstdint>

namespace tavrel {

// The CPU time all threads of the calling process have used so far, in user and kernel mode
// together, in seconds.
//   - Linux: getrusage(RUSAGE_SELF), in microseconds.
//   - Windows: GetProcessTimes, in units of 100 ns. Under Wine the time the wineserver spends
//     on the process's behalf (waits, messages, handles) lies in another process and is not
//     counted.
double ProcessCpuSeconds();

// The bytes of the calling process's memory that lie in physical memory now, shared pages
// (the executable, libraries) included; 0 when it cannot be read.
//   - Linux: VmRSS of /proc/self/status.
//   - Windows: the working set (GetProcessMemoryInfo's WorkingSetSize), the same measure: pages
//     of the process in physical memory. The commit charge (PrivateUsage) would be another: it
//     counts memory committed whether or not it was ever touched. Wine reports VmRSS of its
//     process as the working set.
std::int64_t ResidentBytes();

}  // namespace tavrel
