// The quit requests on Linux: SIGTERM and SIGINT, blocked in every thread and taken by
// sigwait, so that no handler runs at an arbitrary point of the program.
#include "platform/process/quit_request.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/process/linux/quit_signal.h"

namespace tavrel {

sigset_t QuitSignalSet() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  return signals;
}

void ListenForQuitRequests() {
  const sigset_t signals = QuitSignalSet();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

// Directed at the process, the signal is pending for whichever thread waits for it.
void RequestQuit() { kill(getpid(), kQuitSignal); }

void WaitForQuitRequest() {
  const sigset_t signals = QuitSignalSet();
  int received = 0;
  while (sigwait(&signals, &received) != 0) {
  }
}

bool WaitForQuitRequestFor(std::chrono::milliseconds timeout) {
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
    if (sigtimedwait(&signals, nullptr, &wait) > 0) return true;
    if (errno == EAGAIN) return false;
  }
}

}  // namespace tavrel
