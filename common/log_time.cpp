#include "common/log_time.h"

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tavrel {

WallTime SystemWallTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return WallTime{static_cast<std::int64_t>(now.tv_sec), static_cast<int>(now.tv_nsec / 1000000)};
}

std::string FormatTagTime(std::int64_t seconds, int milliseconds) {
  tm local{};
  const time_t time = static_cast<time_t>(seconds);
  // Years beyond 9999 would widen the stamp, which the contract keeps at 23 characters.
  if (localtime_r(&time, &local) == nullptr || local.tm_year + 1900 > 9999 ||
      local.tm_year + 1900 < 0) {
    return "0000-00-00 00:00:00 000";
  }
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d %03d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                std::clamp(milliseconds, 0, 999));
  return text;
}

std::size_t FormatLogTime(char* buffer, std::size_t length, WallTime now) {
  if (length == 0) return 0;
  const std::string stamp = FormatTagTime(now.seconds, now.milliseconds);
  const std::size_t copied = std::min(stamp.size(), length - 1);
  std::memcpy(buffer, stamp.data(), copied);
  buffer[copied] = '\0';
  return copied;
}

std::size_t FormatLogTime(char* buffer, std::size_t length) {
  return FormatLogTime(buffer, length, SystemWallTime());
}

}  // namespace tavrel
