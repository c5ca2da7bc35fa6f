#include "platform/msgqueue/thread_messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(ThreadMessages, PostedMessagesArriveInOrderAndQuitEndsTheLoop) {
  std::atomic<DWORD> workerId{0};
  std::vector<MSG> received;
  BOOL lastResult = TRUE;
  std::thread worker([&] {
    workerId = GetCurrentThreadId();
    MSG message;
    while ((lastResult = GetMessage(&message, nullptr, 0, 0)) != FALSE) received.push_back(message);
  });
  while (workerId == 0) std::this_thread::yield();
  EXPECT_NE(workerId.load(), GetCurrentThreadId());
  EXPECT_TRUE(PostThreadMessage(workerId, WM_USER + 52, 7, -3));
  EXPECT_TRUE(PostThreadMessage(workerId, WM_USER + 53, 0, 0));
  EXPECT_TRUE(PostThreadMessage(workerId, WM_QUIT, 0, 0));
  worker.join();
  ASSERT_EQ(received.size(), 2u);
  EXPECT_EQ(received[0].message, WM_USER + 52);
  EXPECT_EQ(received[0].wParam, 7u);
  EXPECT_EQ(received[0].lParam, -3);
  EXPECT_EQ(received[1].message, WM_USER + 53);
  EXPECT_EQ(lastResult, FALSE);
  // The ended thread's queue is gone.
  EXPECT_FALSE(PostThreadMessage(workerId, WM_USER, 0, 0));
}

TEST(ThreadMessages, ThreadTimersTickWithTheirIdAndStopWhenKilled) {
  const UINT_PTR fast = SetTimer(nullptr, 0, 10, nullptr);
  const UINT_PTR slow = SetTimer(nullptr, 0, 1000, nullptr);
  ASSERT_NE(fast, 0u);
  ASSERT_NE(slow, 0u);
  EXPECT_NE(fast, slow);

  const auto start = steady_clock::now();
  int fastTicks = 0;
  MSG message;
  while (fastTicks < 3) {
    ASSERT_TRUE(GetMessage(&message, nullptr, 0, 0));
    ASSERT_EQ(message.message, WM_TIMER);
    ASSERT_EQ(message.wParam, fast);
    ++fastTicks;
  }
  EXPECT_GE(steady_clock::now() - start, milliseconds(30));

  EXPECT_TRUE(KillTimer(nullptr, fast));
  EXPECT_FALSE(KillTimer(nullptr, fast));
  EXPECT_TRUE(KillTimer(nullptr, slow));
  // With no timer left, only a posted message arrives.
  PostThreadMessage(GetCurrentThreadId(), WM_USER + 1, 0, 0);
  ASSERT_TRUE(GetMessage(&message, nullptr, 0, 0));
  EXPECT_EQ(message.message, WM_USER + 1u);
  EXPECT_EQ(SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {}), 0u);
}

TEST(ThreadMessages, AKilledTimersQueuedTickIsDropped) {
  const UINT_PTR timer = SetTimer(nullptr, 0, 1, nullptr);
  std::this_thread::sleep_for(milliseconds(5));
  PostThreadMessage(GetCurrentThreadId(), WM_USER + 2, 0, 0);
  MSG message;
  ASSERT_TRUE(GetMessage(&message, nullptr, 0, 0));  // queues the due tick, returns it
  EXPECT_EQ(message.message, WM_USER + 2u);
  KillTimer(nullptr, timer);
  PostQuitMessage(0);
  EXPECT_FALSE(GetMessage(&message, nullptr, 0, 0));
}

}  // namespace
