#include "wire/wake_event.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <thread>

namespace tavrel {

namespace {

short ReadableWithin(const WakeEvent& event, int milliseconds) {
  pollfd watched{event.Descriptor(), POLLIN, 0};
  return poll(&watched, 1, milliseconds) == 1 ? watched.revents : 0;
}

TEST(WakeEvent, SignalFromAnotherThreadEndsAWaitAndDrainResetsIt) {
  WakeEvent event;
  ASSERT_GE(event.Descriptor(), 0);
  EXPECT_EQ(ReadableWithin(event, 0), 0);

  std::thread signaller([&] { event.Signal(); });
  EXPECT_EQ(ReadableWithin(event, 10000) & POLLIN, POLLIN);
  signaller.join();

  event.Signal();  // several signals are drained at once
  event.Drain();
  EXPECT_EQ(ReadableWithin(event, 0), 0);
  event.Drain();  // draining an unsignalled event does not block
  EXPECT_EQ(ReadableWithin(event, 0), 0);
}

}  // namespace

}  // namespace tavrel
