// ApiThread: the thread that does all network work of the API server.
//
// While ExitFlag is clear it runs the API service's passes (listen, accept, read and answer
// requests, flush pending pushes) one after the other; a pass waits for work inside itself.
// Once ExitFlag is set, Wake() ends the wait of the pass in progress and the loop ends; a
// pass must itself give up its long waits (sends) once ExitFlag is set.
#pragma once

#include <thread>

#include "bridge/core/api_service.h"
#include "bridge/core/exit_flag.h"

class ApiThread {
 public:
  // Starts the thread running the passes of `service`, which must outlive the thread. Without
  // a service (a runtime made without an API server) there is nothing to run and no thread
  // starts.
  ApiThread(const ExitFlag& exitFlag, ApiService* service);
  // Wakes and joins the thread, so ExitFlag must have been set.
  ~ApiThread();

  ApiThread(const ApiThread&) = delete;
  ApiThread& operator=(const ApiThread&) = delete;

  // Any thread, once ExitFlag is set: ends the pass in progress, so the thread ends promptly.
  void Wake();

 private:
  void Run();

  const ExitFlag& exitFlag_;
  ApiService* const service_;
  std::thread thread_;
};
