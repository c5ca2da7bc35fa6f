#include "platform/process/process_end.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>

#include "platform/process/linux/quit_signal.h"

namespace tavrel {

namespace {

// A process descriptor that closes itself. The calls go through syscall(): the C library's
// declarations of them cannot be linked from C++ in the version Debian 12 ships.
class ProcessDescriptor {
 public:
  explicit ProcessDescriptor(pid_t pid) : fd_(static_cast<int>(syscall(SYS_pidfd_open, pid, 0u))) {}
  ~ProcessDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  ProcessDescriptor(const ProcessDescriptor&) = delete;
  ProcessDescriptor& operator=(const ProcessDescriptor&) = delete;

  int get() const { return fd_; }
  void Signal(int signal) const { syscall(SYS_pidfd_send_signal, fd_, signal, nullptr, 0u); }

 private:
  int fd_;
};

}  // namespace

bool AskToQuitAndWaitForEnd(pid_t pid, std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const ProcessDescriptor process(pid);
  if (process.get() < 0) return errno == ESRCH;  // no such process: it has ended
  // A process that ended since it was found cannot take the signal; the wait sees it ended.
  process.Signal(kQuitSignal);
  const Clock::time_point deadline = Clock::now() + timeout;
  while (true) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd ended{process.get(), POLLIN, 0};
    const int ready =
        poll(&ended, 1, static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX)));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

}  // namespace tavrel
