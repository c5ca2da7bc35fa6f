// Time stamps of log lines and of tag values.
//
// The programs print local time with milliseconds as "%04d-%02d-%02d %02d:%02d:%02d %03d"
// (year, month, day, hour, minute, second, millisecond), always 23 characters. Callers that
// must be testable across midnight or at a fixed moment take a WallClock instead of reading
// the system clock themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tavrel {

// A moment of the system's real-time clock: seconds since 1970-01-01 00:00 UTC and the
// millisecond within that second (0..999).
struct WallTime {
  std::int64_t seconds = 0;
  int milliseconds = 0;
};

// Reads the real-time clock. A WallClock is called from any thread.
using WallClock = std::function<WallTime()>;
WallTime SystemWallTime();

inline constexpr std::size_t kLogTimeLength = 23;

// The local time of `seconds` with `milliseconds` (clamped to 0..999) in the format above.
// A moment that the C library cannot convert to local time prints as all zeros.
std::string FormatTagTime(std::int64_t seconds, int milliseconds);

// Writes the stamp of `now` into `buffer` of `length` bytes, NUL-terminated: the whole stamp
// when the buffer holds 24 bytes or more (callers pass 64 or 32), else its first
// `length` - 1 characters; nothing when `length` is 0. Returns the characters written
// before the NUL.
std::size_t FormatLogTime(char* buffer, std::size_t length, WallTime now);
// The same for the current time.
std::size_t FormatLogTime(char* buffer, std::size_t length);

}  // namespace tavrel
