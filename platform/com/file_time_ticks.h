// A FILETIME as one count of 100-nanosecond ticks since 1 January 1601, UTC.
#pragma once

#include <chrono>

#include "platform/com/com_api.h"

namespace tavrel {

inline constexpr long long kFileTimeTicksPerSecond = 10'000'000;
// Ticks from 1 January 1601 to 1 January 1970.
inline constexpr long long kUnixEpochFileTimeTicks = 116'444'736'000'000'000;

ULONGLONG FileTimeTicks(const FILETIME& fileTime);
FILETIME FileTimeFromTicks(ULONGLONG ticks);
// The FILETIME of a system clock instant (for servers stamping values).
FILETIME FileTimeFromSystemClock(std::chrono::system_clock::time_point time);

// `value / divisor` rounded towards negative infinity.
long long FloorDivide(long long value, long long divisor);

}  // namespace tavrel
