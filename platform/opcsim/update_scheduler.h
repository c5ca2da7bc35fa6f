// UpdateScheduler: the one thread of a simulated server that sends everything a client
// receives without asking at that moment: data changes at each group's update rate, the
// completions of asynchronous calls, shutdown requests, and the staged faults of the script.
//
// Work sources (the groups and the server itself) attach as ScheduledWork. On every pass the
// thread asks each source in turn, under the scheduler's lock, to collect what is due: a source
// takes its own lock, prepares its deliveries (values copied, sinks referenced) and tells when
// it next needs the thread. Each source's deliveries are dispatched as soon as it collected
// them, with no lock held, so a client may call the server from inside its callback. Lock
// order: scheduler, then source, then the server's value store.
//
// A source calls Wake after it queued work, never while holding its own lock.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "common/mutex.h"

namespace tavrel::opcsim {

// One call to a client, prepared under the source's lock and made without any lock.
class Delivery {
 public:
  virtual ~Delivery() = default;
  virtual void Dispatch() = 0;
};
using DeliveryList = std::vector<std::unique_ptr<Delivery>>;

class ScheduledWork {
 public:
  using SteadyTime = std::chrono::steady_clock::time_point;
  // Appends what is due at `now` to `out` and lowers `*wakeAt` to the next time this source
  // has work (leaving it as it is when none is planned).
  virtual void Collect(SteadyTime now, DeliveryList& out, SteadyTime* wakeAt) = 0;

 protected:
  ~ScheduledWork() = default;
};

// The next tick of a period after `now`, on the grid of the tick `due` that fell due: the
// ticks missed while the thread was late are skipped, not sent in a burst, and the tick keeps
// its phase, so that groups that were late together do not fall into step and from then on
// report all at once. A period of zero makes the tick due at `now`.
ScheduledWork::SteadyTime NextTickAfter(ScheduledWork::SteadyTime due,
                                        ScheduledWork::SteadyTime now,
                                        std::chrono::milliseconds period);

class UpdateScheduler {
 public:
  using SteadyTime = ScheduledWork::SteadyTime;

  // `server` is always collected; attached sources only while `admitsSources` says so (the
  // server is neither dead nor hung), else the thread wakes again at the time it gives.
  class Gate {
   public:
    virtual bool AdmitsSources(SteadyTime now, SteadyTime* retryAt) = 0;

   protected:
    ~Gate() = default;
  };

  UpdateScheduler(ScheduledWork& server, Gate& gate);
  ~UpdateScheduler();
  UpdateScheduler(const UpdateScheduler&) = delete;
  UpdateScheduler& operator=(const UpdateScheduler&) = delete;

  void Attach(ScheduledWork* source);
  // After Detach returns the source is not collected again and none of its deliveries is
  // being dispatched (unless called from inside such a delivery, on the scheduler's thread).
  void Detach(ScheduledWork* source);
  // Returns once no delivery of `source` is being dispatched (at once on the scheduler's
  // thread), so that a source can tell its client that what it removed is not called about.
  void AwaitDispatch(ScheduledWork* source);
  // Makes the thread collect at once.
  void Wake();
  bool OnSchedulerThread() const;

 private:
  // What the thread uses; it keeps its own reference, so that a scheduler destroyed from inside
  // one of its deliveries leaves the thread a valid state to find `stopping` in.
  struct State {
    State(ScheduledWork& server, Gate& gate) : server(server), gate(gate) {}
    ScheduledWork& server;
    Gate& gate;
    Mutex mutex;
    std::condition_variable_any wake;
    std::condition_variable_any dispatched;
    std::vector<ScheduledWork*> sources GUARDED_BY(mutex);
    std::uint64_t detachments GUARDED_BY(mutex) = 0;  // Detach calls so far
    std::set<ScheduledWork*> dispatching GUARDED_BY(mutex);
    std::thread::id threadId;
    bool woken GUARDED_BY(mutex) = false;
    bool stopping GUARDED_BY(mutex) = false;
  };
  static void Run(const std::shared_ptr<State>& state);

  std::shared_ptr<State> state_;
  std::thread thread_;
};

}  // namespace tavrel::opcsim
