#include "platform/opcsim/update_scheduler.h"

#include <algorithm>

namespace tavrel::opcsim {

namespace {

// How long the thread sleeps when no source has planned anything.
constexpr std::chrono::seconds kIdleWait{1};

}  // namespace

ScheduledWork::SteadyTime NextTickAfter(ScheduledWork::SteadyTime due,
                                        ScheduledWork::SteadyTime now,
                                        std::chrono::milliseconds period) {
  if (period <= std::chrono::milliseconds::zero()) return now;
  if (due > now) return due;
  return due + period * ((now - due) / period + 1);
}

UpdateScheduler::UpdateScheduler(ScheduledWork& server, Gate& gate)
    : state_(std::make_shared<State>(server, gate)) {
  MutexLock lock(state_->mutex);
  thread_ = std::thread([state = state_] { Run(state); });
  state_->threadId = thread_.get_id();
}

UpdateScheduler::~UpdateScheduler() {
  {
    MutexLock lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_all();
  if (OnSchedulerThread()) {
    thread_.detach();  // destroyed from inside a delivery: the thread ends when it returns
  } else {
    thread_.join();
  }
}

void UpdateScheduler::Attach(ScheduledWork* source) {
  {
    MutexLock lock(state_->mutex);
    state_->sources.push_back(source);
    state_->woken = true;
  }
  state_->wake.notify_all();
}

void UpdateScheduler::Detach(ScheduledWork* source) {
  {
    MutexLock lock(state_->mutex);
    std::erase(state_->sources, source);
    ++state_->detachments;
  }
  AwaitDispatch(source);
}

void UpdateScheduler::AwaitDispatch(ScheduledWork* source) {
  if (OnSchedulerThread()) return;
  MutexLock lock(state_->mutex);
  state_->dispatched.wait(
      lock, [&]() REQUIRES(state_->mutex) { return state_->dispatching.count(source) == 0; });
}

void UpdateScheduler::Wake() {
  {
    MutexLock lock(state_->mutex);
    state_->woken = true;
  }
  state_->wake.notify_all();
}

bool UpdateScheduler::OnSchedulerThread() const {
  return std::this_thread::get_id() == state_->threadId;
}

void UpdateScheduler::Run(const std::shared_ptr<State>& state) {
  MutexLock lock(state->mutex);
  while (!state->stopping) {
    SteadyTime now = std::chrono::steady_clock::now();
    SteadyTime wakeAt = now + kIdleWait;
    bool dispatched = false;
    // The server first, then the attached sources when the gate admits them. Each source is
    // sampled when its turn comes and its deliveries go out at once: a thread that woke late,
    // with several groups due, does not hold the first group's values back while it samples
    // the others.
    std::vector<ScheduledWork*> due{&state->server};
    const std::uint64_t detachmentsBefore = state->detachments;
    for (std::size_t next = 0; next < due.size(); ++next) {
      ScheduledWork* const source = due[next];
      if (next > 0 && state->detachments != detachmentsBefore &&
          std::find(state->sources.begin(), state->sources.end(), source) == state->sources.end()) {
        continue;  // detached while an earlier source's deliveries were dispatched
      }
      DeliveryList deliveries;
      source->Collect(now, deliveries, &wakeAt);
      if (next == 0) {
        SteadyTime retryAt = wakeAt;
        if (state->gate.AdmitsSources(now, &retryAt)) {
          due.insert(due.end(), state->sources.begin(), state->sources.end());
        } else {
          wakeAt = std::min(wakeAt, retryAt);
        }
      }
      if (deliveries.empty()) continue;
      dispatched = true;
      state->dispatching.insert(source);
      lock.unlock();
      for (auto& delivery : deliveries) delivery->Dispatch();
      deliveries.clear();  // sinks are released without a lock too
      lock.lock();
      state->dispatching.erase(source);
      state->dispatched.notify_all();
      // Stopped from inside a delivery: the server, and its sources, may be gone.
      if (state->stopping) return;
      now = std::chrono::steady_clock::now();  // the next source is sampled after the dispatch
    }
    if (dispatched) continue;
    state->wake.wait_until(
        lock, wakeAt, [&]() REQUIRES(state->mutex) { return state->stopping || state->woken; });
    state->woken = false;
  }
}

}  // namespace tavrel::opcsim
