#include "bridge/api/aside_calls.h"

#include <algorithm>
#include <utility>

namespace tavrel {

void AsideCalls::Start(int clientSerial, Job job) {
  threads_.emplace_back([this, clientSerial, job = std::move(job)] {
    Reply reply;
    try {
      reply = job();
    } catch (...) {
      // An allocation that failed in a huge reply: the client gets none, the bridge goes on.
    }
    {
      const MutexLock lock(mutex_);
      done_.push_back({clientSerial, std::move(reply)});
      ended_.push_back(std::this_thread::get_id());
    }
    finished_();
  });
}

std::vector<AsideCalls::Finished> AsideCalls::TakeFinished() {
  std::vector<Finished> finished;
  std::vector<std::thread::id> ended;
  {
    const MutexLock lock(mutex_);
    finished.swap(done_);
    ended.swap(ended_);
  }
  // Their jobs are done: joining waits only for the threads to return.
  for (const std::thread::id id : ended) {
    threads_.remove_if([id](const std::jthread& thread) { return thread.get_id() == id; });
  }
  return finished;
}

}  // namespace tavrel
