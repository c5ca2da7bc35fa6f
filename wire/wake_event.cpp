#include "wire/wake_event.h"

#include <sys/eventfd.h>

#include <cstdint>

namespace tavrel {

WakeEvent::WakeEvent() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

void WakeEvent::Signal() {
  const std::uint64_t one = 1;
  // Fails only when the counter is full, and a full counter is readable all the same.
  [[maybe_unused]] const ssize_t written = write(fd_.get(), &one, sizeof one);
}

void WakeEvent::Drain() {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t taken = read(fd_.get(), &count, sizeof count);
}

}  // namespace tavrel
