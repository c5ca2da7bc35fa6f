#include "platform/com/file_time_ticks.h"

namespace tavrel {

ULONGLONG FileTimeTicks(const FILETIME& fileTime) {
  return static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32 | fileTime.dwLowDateTime;
}

FILETIME FileTimeFromTicks(ULONGLONG ticks) {
  return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
}

FILETIME FileTimeFromSystemClock(std::chrono::system_clock::time_point time) {
  const auto sinceEpoch =
      std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
  return FileTimeFromTicks(
      static_cast<ULONGLONG>(kUnixEpochFileTimeTicks + FloorDivide(sinceEpoch, 100)));
}

long long FloorDivide(long long value, long long divisor) {
  const long long quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

}  // namespace tavrel
