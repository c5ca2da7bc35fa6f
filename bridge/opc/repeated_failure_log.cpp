#include "bridge/opc/repeated_failure_log.h"

#include <utility>

namespace tavrel {

RepeatedFailureLog::RepeatedFailureLog(Write write, std::chrono::milliseconds interval,
                                       std::function<Clock::time_point()> now)
    : write_(std::move(write)), interval_(interval), now_(std::move(now)) {}

void RepeatedFailureLog::Failed(const std::vector<std::string>& lines) {
  const Clock::time_point now = now_();
  if (!last_.empty() && lines == last_ && now - lastWritten_ < interval_) {
    ++repeats_;
    return;
  }
  const bool again = lines == last_;
  if (!again) WriteRepeats();
  for (const std::string& line : lines) write_(line);
  if (again) WriteRepeats();
  last_ = lines;
  lastWritten_ = now;
}

void RepeatedFailureLog::Succeeded(const std::vector<std::string>& lines) {
  WriteRepeats();
  last_.clear();
  for (const std::string& line : lines) write_(line);
}

void RepeatedFailureLog::WriteRepeats() {
  if (repeats_ == 0) return;
  write_("the same failure repeated " + std::to_string(repeats_) +
         " times since it was last logged");
  repeats_ = 0;
}

}  // namespace tavrel
