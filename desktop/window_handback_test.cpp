#include "desktop/window_handback.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <thread>
#include <vector>

#include "desktop/background_call.h"

namespace tavrel {

namespace {

TEST(WindowHandback, PostsRunOnItsThreadInOrderAtTheNextPassOfTheEventLoop) {
  const std::thread::id window = std::this_thread::get_id();
  WindowHandback handback;
  std::vector<int> delivered;
  std::vector<std::thread::id> threads;
  std::thread([&] {
    for (int i = 0; i < 3; ++i) {
      handback.Post([&, i] {
        delivered.push_back(i);
        threads.push_back(std::this_thread::get_id());
      });
    }
  }).join();
  handback.Post([&] { delivered.push_back(3); });  // never inside Post, even on its own thread
  EXPECT_TRUE(delivered.empty());
  QCoreApplication::processEvents();
  EXPECT_EQ(delivered, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(threads, (std::vector<std::thread::id>{window, window, window}));
}

TEST(WindowHandback, WhatIsQueuedWhenItGoesIsDropped) {
  bool ran = false;
  {
    WindowHandback handback;
    std::thread([&] { handback.Post([&] { ran = true; }); }).join();
  }
  QCoreApplication::processEvents();
  EXPECT_FALSE(ran);
}

TEST(BackgroundCall, OneCallAtATimeWithItsResultOnTheWindowThread) {
  const std::thread::id window = std::this_thread::get_id();
  std::optional<int> result;
  std::thread::id caller;
  std::thread::id completer;
  BackgroundCall<int> call([&](int value) {
    result = value;
    completer = std::this_thread::get_id();
  });
  std::promise<void> release;
  ASSERT_TRUE(call.Start([&, gate = release.get_future().share()] {
    caller = std::this_thread::get_id();
    gate.wait();
    return 7;
  }));
  EXPECT_TRUE(call.Running());
  EXPECT_FALSE(call.Start([] { return 8; }));
  release.set_value();
  while (call.Running()) QCoreApplication::processEvents();
  EXPECT_EQ(result, 7);
  EXPECT_NE(caller, window);
  EXPECT_EQ(completer, window);
  ASSERT_TRUE(call.Start([] { return 9; }));  // the next call once the completion has run
  while (call.Running()) QCoreApplication::processEvents();
  EXPECT_EQ(result, 9);
}

TEST(BackgroundCall, DestroyingItWaitsForTheCallAndDropsItsCompletion) {
  std::atomic<bool> finished = false;
  bool completed = false;
  {
    BackgroundCall<void> call([&] { completed = true; });
    ASSERT_TRUE(call.Start([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      finished = true;
    }));
  }
  EXPECT_TRUE(finished);
  QCoreApplication::processEvents();
  EXPECT_FALSE(completed);
}

}  // namespace

}  // namespace tavrel
