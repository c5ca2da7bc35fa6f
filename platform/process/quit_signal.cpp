#include "platform/process/quit_signal.h"

#include <pthread.h>

#include <algorithm>
#include <cerrno>

namespace tavrel {

sigset_t QuitSignalSet() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  return signals;
}

void BlockQuitSignals() {
  const sigset_t signals = QuitSignalSet();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

int WaitForQuitSignal() {
  const sigset_t signals = QuitSignalSet();
  int received = 0;
  while (sigwait(&signals, &received) != 0) {
  }
  return received;
}

int WaitForQuitSignalFor(std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const sigset_t signals = QuitSignalSet();
  // Capped so that the deadline stays within the clock's range.
  constexpr std::chrono::milliseconds kLongest = std::chrono::hours(24 * 366 * 100);
  const Clock::time_point deadline =
      Clock::now() + std::clamp(timeout, std::chrono::milliseconds::zero(), kLongest);
  while (true) {
    // An interruption by some other, handled signal waits again for the rest of the time.
    const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    const timespec wait{static_cast<time_t>(seconds.count()),
                        static_cast<long>(std::chrono::nanoseconds(left - seconds).count())};
    const int received = sigtimedwait(&signals, nullptr, &wait);
    if (received > 0) return received;
    if (errno == EAGAIN) return 0;
  }
}

}  // namespace tavrel
