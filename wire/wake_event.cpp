#include "wire/wake_event.h"

#include <cstdint>

namespace tavrel {

WakeEvent::WakeEvent() {
  SocketHandle ends[2];
  if (!OpenSocketPair(ends)) return;
  watched_ = UniqueSocket(ends[0]);
  signalled_ = UniqueSocket(ends[1]);
}

void WakeEvent::Signal() {
  const std::uint8_t one = 1;
  // Fails only when the pair's buffer is full, and a full pair is readable all the same.
  SendSome(signalled_.get(), &one, sizeof one);
}

void WakeEvent::Drain() {
  std::uint8_t bytes[4096];
  while (ReceiveSome(watched_.get(), bytes, sizeof bytes) > 0) {
  }
}

}  // namespace tavrel
