#include "bridge/opc/engine_text.h"

#include <ctime>

#include "common/log_time.h"

namespace tavrel {

std::string CycleTimeText() {
  const WallTime now = SystemWallTime();
  const std::time_t seconds = static_cast<std::time_t>(now.seconds);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) local = std::tm{};
  return FormatText("%04d-%02d-%02d %02d:%02d:%02d:%03d", local.tm_year + 1900, local.tm_mon + 1,
                    local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, now.milliseconds);
}

}  // namespace tavrel
