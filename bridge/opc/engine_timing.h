// The waits and periods of a connection's worker; tests shorten them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace tavrel {

struct EngineTiming {
  using Ms = std::chrono::milliseconds;
  Ms connectTick{1000};       // connection attempts while idle, the status watch while held
  Ms pollTick{500};           // read cycles while connected
  Ms settle{5000};            // after registration, before the read cycles start
  Ms statusPause{3000};       // after the status watch dropped the server
  Ms restartPause{1000};      // after a shutdown request, before the connect tick starts again
  Ms groupWait{1000};         // while a group is not usable
  Ms cycleSleep{100};         // after each group of a read cycle
  Ms dropSleep{1000};         // after a group lost its interface
  Ms teardownSleep{100};      // before the item records are deleted
  Ms statusRefresh{30000};    // status tag push period
  Ms repeatedFailure{60000};  // a failed attempt's lines, unchanged, are logged once in this
  std::int64_t statusWatchSeconds = 60;  // status query when more than this has passed
  // Seconds since 1970 for the status watch; the system clock when empty.
  std::function<std::int64_t()> now;
};

}  // namespace tavrel
