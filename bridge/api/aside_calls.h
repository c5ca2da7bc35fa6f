// AsideCalls: the requests that wait on an OPC server (writes, browsing, the server list) run
// on threads of their own, so that a server that hangs stalls only the client that asked while
// every other client's replies and all pushes keep flowing.
//
// Start() runs a job on a new thread. The job returns the reply to send, which ApiThread takes
// with TakeFinished() after the job's thread called `finished` to wake it. A job that throws
// finishes with no reply. The destructor waits for every job still running: one stuck in a hung
// server for as long as the server hangs (the bridge's stop deadline bounds that).
#pragma once

#include <functional>
#include <list>
#include <thread>
#include <vector>

#include "common/mutex.h"

namespace tavrel {

class ApiClient;

class AsideCalls {
 public:
  // Sends a reply to the client that asked, on ApiThread; empty when there is none.
  using Reply = std::function<void(ApiClient&)>;
  using Job = std::function<Reply()>;
  struct Finished {
    int clientSerial;
    Reply reply;
  };

  explicit AsideCalls(std::function<void()> finished) : finished_(std::move(finished)) {}
  AsideCalls(const AsideCalls&) = delete;
  AsideCalls& operator=(const AsideCalls&) = delete;

  // ApiThread: runs `job` for the client of serial `clientSerial`.
  void Start(int clientSerial, Job job);
  // ApiThread: the jobs finished since the last call, in the order they finished.
  std::vector<Finished> TakeFinished();

 private:
  std::function<void()> finished_;
  Mutex mutex_;
  std::vector<Finished> done_ GUARDED_BY(mutex_);
  std::vector<std::thread::id> ended_
      GUARDED_BY(mutex_);            // threads whose job is done and that end now
  std::list<std::jthread> threads_;  // ApiThread only; joined at destruction
};

}  // namespace tavrel
