#include "platform/msgqueue/thread_messages.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

namespace {

using SteadyClock = std::chrono::steady_clock;

struct ThreadTimer {
  std::chrono::milliseconds period;
  SteadyClock::time_point due;
  bool pending = false;  // a WM_TIMER of this timer waits in the queue
};

// One thread's messages and timers. Posts come from any thread; timers are used only by the
// owning thread, but its GetMessage reads them under the same lock.
class ThreadQueue {
 public:
  void Post(const MSG& message) {
    {
      std::lock_guard lock(mutex_);
      messages_.push_back(message);
    }
    arrived_.notify_one();
  }

  MSG Take() {
    std::unique_lock lock(mutex_);
    for (;;) {
      const auto now = SteadyClock::now();
      for (auto& [id, timer] : timers_) {
        if (!timer.pending && timer.due <= now) {
          timer.pending = true;
          timer.due = now + timer.period;
          messages_.push_back(MSG{nullptr, WM_TIMER, id, 0, 0});
        }
      }
      if (!messages_.empty()) {
        const MSG message = messages_.front();
        messages_.pop_front();
        if (message.message == WM_TIMER) {
          const auto timer = timers_.find(message.wParam);
          if (timer == timers_.end()) continue;  // killed after it was queued
          timer->second.pending = false;
        }
        return message;
      }
      if (timers_.empty()) {
        arrived_.wait(lock);
      } else {
        auto next = SteadyClock::time_point::max();
        for (const auto& [id, timer] : timers_) next = std::min(next, timer.due);
        arrived_.wait_until(lock, next);
      }
    }
  }

  UINT_PTR AddTimer(UINT elapse) {
    const std::chrono::milliseconds period(elapse == 0 ? 1 : elapse);
    std::lock_guard lock(mutex_);
    const UINT_PTR id = nextTimerId_++;
    timers_[id] = ThreadTimer{period, SteadyClock::now() + period};
    return id;
  }

  bool RemoveTimer(UINT_PTR id) {
    std::lock_guard lock(mutex_);
    return timers_.erase(id) != 0;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<MSG> messages_;
  std::map<UINT_PTR, ThreadTimer> timers_;
  UINT_PTR nextTimerId_ = 1;
};

// The queues of all live threads by id.
class QueueDirectory {
 public:
  static QueueDirectory& Instance() {
    static QueueDirectory directory;
    return directory;
  }
  void Add(DWORD id, std::shared_ptr<ThreadQueue> queue) {
    std::lock_guard lock(mutex_);
    queues_[id] = std::move(queue);
  }
  void Remove(DWORD id) {
    std::lock_guard lock(mutex_);
    queues_.erase(id);
  }
  std::shared_ptr<ThreadQueue> Find(DWORD id) {
    std::lock_guard lock(mutex_);
    const auto found = queues_.find(id);
    return found == queues_.end() ? nullptr : found->second;
  }

 private:
  std::mutex mutex_;
  std::map<DWORD, std::shared_ptr<ThreadQueue>> queues_;
};

std::atomic<DWORD> nextThreadId{1};

// The calling thread's id and queue; the queue leaves the directory when the thread ends.
struct ThisThread {
  ThisThread() : id(nextThreadId.fetch_add(1)), queue(std::make_shared<ThreadQueue>()) {
    QueueDirectory::Instance().Add(id, queue);
  }
  ~ThisThread() { QueueDirectory::Instance().Remove(id); }
  ThisThread(const ThisThread&) = delete;
  ThisThread& operator=(const ThisThread&) = delete;

  const DWORD id;
  const std::shared_ptr<ThreadQueue> queue;
};

ThisThread& Current() {
  thread_local ThisThread thisThread;
  return thisThread;
}

}  // namespace

DWORD GetCurrentThreadId() { return Current().id; }

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto queue = QueueDirectory::Instance().Find(threadId);
  if (!queue) return FALSE;
  queue->Post(MSG{nullptr, message, wParam, lParam, 0});
  return TRUE;
}

BOOL GetMessage(MSG* message, HWND /*window*/, UINT /*filterMin*/, UINT /*filterMax*/) {
  *message = Current().queue->Take();
  return message->message == WM_QUIT ? FALSE : TRUE;
}

UINT_PTR SetTimer(HWND window, UINT_PTR /*eventId*/, UINT elapse, TIMERPROC timerProc) {
  if (window != nullptr || timerProc != nullptr) return 0;
  return Current().queue->AddTimer(elapse);
}

BOOL KillTimer(HWND /*window*/, UINT_PTR eventId) {
  return Current().queue->RemoveTimer(eventId) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) {
  Current().queue->Post(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0});
}
