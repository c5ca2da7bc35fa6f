#include "platform/opcsim/update_scheduler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace tavrel::opcsim {

namespace {

// A delivery that runs a function.
class CallDelivery : public Delivery {
 public:
  explicit CallDelivery(std::function<void()> call) : call_(std::move(call)) {}
  void Dispatch() override { call_(); }

 private:
  std::function<void()> call_;
};

// A source with one delivery due at once; counts how often it is collected.
class OneShotSource : public ScheduledWork {
 public:
  explicit OneShotSource(std::function<void()> onDispatch = [] {})
      : onDispatch_(std::move(onDispatch)) {}
  void Collect(SteadyTime /*now*/, DeliveryList& out, SteadyTime* /*wakeAt*/) override {
    ++collected;
    if (!due_.exchange(false)) return;
    out.push_back(std::make_unique<CallDelivery>([this] {
      onDispatch_();
      dispatched = true;
    }));
  }
  std::atomic<int> collected{0};
  std::atomic<bool> dispatched{false};

 private:
  std::function<void()> onDispatch_;
  std::atomic<bool> due_{true};
};

class NothingDue : public ScheduledWork {
 public:
  void Collect(SteadyTime, DeliveryList&, SteadyTime*) override {}
};

// Admits the sources once opened; until then the scheduler asks again every millisecond.
class Gate : public UpdateScheduler::Gate {
 public:
  bool AdmitsSources(UpdateScheduler::SteadyTime now,
                     UpdateScheduler::SteadyTime* retryAt) override {
    *retryAt = now + std::chrono::milliseconds(1);
    return open;
  }
  std::atomic<bool> open{false};
};

bool Eventually(const std::atomic<bool>& flag) {
  for (int i = 0; i < 500 && !flag; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return flag;
}

}  // namespace

// Sources due in the same pass: each one's deliveries go out before the next is sampled, and a
// source detached by an earlier delivery of the pass is not collected at all.
TEST(UpdateScheduler, EachSourceGoesOutBeforeTheNextIsSampledAndADetachedOneIsSkipped) {
  NothingDue server;
  Gate gate;
  UpdateScheduler* scheduling = nullptr;
  OneShotSource detached;
  OneShotSource later;
  int laterCollectedAtFirstDelivery = -1;
  OneShotSource first([&] {
    laterCollectedAtFirstDelivery = later.collected;
    scheduling->Detach(&detached);
  });
  UpdateScheduler scheduler(server, gate);  // ends before the sources
  scheduling = &scheduler;
  scheduler.Attach(&first);
  scheduler.Attach(&detached);
  scheduler.Attach(&later);
  gate.open = true;  // one pass finds all three due
  ASSERT_TRUE(Eventually(later.dispatched));
  EXPECT_EQ(laterCollectedAtFirstDelivery, 0);
  EXPECT_EQ(detached.collected, 0);
}

}  // namespace tavrel::opcsim
