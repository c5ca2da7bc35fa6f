// ApiService: the API server as the bridge's start-up sees it.
//
// The start-up makes the service at its place in the order (after the connection objects,
// before ApiThread starts) through an ApiServiceFactory, and ApiThread then runs Pass() in its
// loop. The service lives until the runtime is destroyed, after ApiThread has been joined.
#pragma once

#include <functional>
#include <memory>

class BridgeRuntime;

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

// Makes the API service of a runtime whose project, settings and connections are ready.
using ApiServiceFactory = std::function<std::unique_ptr<ApiService>(BridgeRuntime& runtime)>;
