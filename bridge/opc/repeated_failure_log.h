// RepeatedFailureLog: the lines of a connection attempt that fails the same way every second,
// logged once a minute with a count instead of every time.
//
// A server that cannot be created fails the attempt of every connect tick with the same lines.
// The first failure is written whole; the same lines again within `interval` of the last time
// they were written are only counted. Once `interval` has passed they are written again,
// followed by "the same failure repeated N times since it was last logged"; a different failure,
// or an attempt that works, writes the count of the repeats not yet told before it goes on.
// The attempts themselves go on at their own pace; only their lines are held back.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace tavrel {

class RepeatedFailureLog {
 public:
  using Clock = std::chrono::steady_clock;
  using Write = std::function<void(const std::string&)>;

  explicit RepeatedFailureLog(Write write, std::chrono::milliseconds interval,
                              std::function<Clock::time_point()> now = Clock::now);

  // An attempt that failed with `lines`.
  void Failed(const std::vector<std::string>& lines);
  // An attempt that worked, with the lines it logged on the way.
  void Succeeded(const std::vector<std::string>& lines);

 private:
  void WriteRepeats();

  Write write_;
  std::chrono::milliseconds interval_;
  std::function<Clock::time_point()> now_;
  std::vector<std::string> last_;  // the failure last written; empty after a success
  Clock::time_point lastWritten_{};
  unsigned long repeats_ = 0;  // of last_ since it was written
};

}  // namespace tavrel
