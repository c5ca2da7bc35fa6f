#include "platform/process/process_usage.h"

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

namespace tavrel {

namespace {

// A FILETIME duration (100 ns units) in seconds.
double Seconds(const FILETIME& time) {
  const std::uint64_t units =
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<double>(units) / 1e7;
}

}  // namespace

double ProcessCpuSeconds() {
  FILETIME creation{};
  FILETIME exit{};
  FILETIME kernel{};
  FILETIME user{};
  if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user)) return 0;
  return Seconds(kernel) + Seconds(user);
}

std::int64_t ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<std::int64_t>(counters.WorkingSetSize);
}

}  // namespace tavrel
