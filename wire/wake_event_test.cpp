#include "wire/wake_event.h"

#include <gtest/gtest.h>

#include <thread>

namespace tavrel {

namespace {

short ReadableWithin(const WakeEvent& event, int milliseconds) {
  pollfd watched{event.Descriptor(), POLLIN, 0};
  return PollSockets(&watched, 1, milliseconds) == 1 ? watched.revents : 0;
}

TEST(WakeEvent, SignalFromAnotherThreadEndsAWaitAndDrainResetsIt) {
  const SocketRuntime runtime;
  WakeEvent event;
  ASSERT_NE(event.Descriptor(), kInvalidSocket);
  EXPECT_EQ(ReadableWithin(event, 0), 0);

  std::thread signaller([&] { event.Signal(); });
  EXPECT_NE(ReadableWithin(event, 10000) & POLLIN, 0);
  signaller.join();

  event.Signal();  // several signals are drained at once
  event.Drain();
  EXPECT_EQ(ReadableWithin(event, 0), 0);
  event.Drain();  // draining an unsignalled event does not block
  EXPECT_EQ(ReadableWithin(event, 0), 0);

  // Signals that nobody drains never block the signaller. Drains take them all, though on
  // Windows some may still be on their way through the loopback pair during the first.
  for (int i = 0; i < 20000; ++i) event.Signal();
  EXPECT_NE(ReadableWithin(event, 0) & POLLIN, 0);
  for (int drains = 0; drains < 100 && ReadableWithin(event, 10) != 0; ++drains) event.Drain();
  EXPECT_EQ(ReadableWithin(event, 0), 0);
}

}  // namespace

}  // namespace tavrel
