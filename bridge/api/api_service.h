// ApiService: what ApiThread runs: the passes of the API server (bridge_api.h), or a test's
// stand-in for it.
#pragma once

namespace tavrel {

class ApiService {
 public:
  virtual ~ApiService() = default;
  // One pass of the API server, on ApiThread. It waits until it has work (a socket is ready,
  // a push is pending, a time-out of its own comes) or until Wake().
  virtual void Pass() = 0;
  // Any thread: ends the wait of the pass in progress, or else the wait of the next pass, at
  // once. ApiThread calls it once ExitFlag is set, so that its loop sees the flag.
  virtual void Wake() = 0;
};

}  // namespace tavrel
