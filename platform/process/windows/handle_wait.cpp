#include "platform/process/windows/handle_wait.h"

#include <algorithm>
#include <cstdint>

namespace tavrel {

bool WaitForHandle(HANDLE handle, std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  constexpr std::chrono::milliseconds kLongest = std::chrono::hours(24 * 366 * 100);
  const Clock::time_point deadline =
      Clock::now() + std::clamp(timeout, std::chrono::milliseconds::zero(), kLongest);
  while (true) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    const auto wait = static_cast<DWORD>(std::clamp<std::int64_t>(left.count(), 0, INFINITE - 1));
    const DWORD result = WaitForSingleObject(handle, wait);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_TIMEOUT || Clock::now() >= deadline) return false;
  }
}

}  // namespace tavrel
