// ApiThread: the thread that does all network work of the API server, owned by the API front
// end (bridge_api.h): started by its Start, joined by its Stop.
//
// While ExitFlag is clear it runs the API service's passes (listen, accept, read and answer
// requests, flush pending pushes) one after the other; a pass waits for work inside itself.
// Once ExitFlag is set, Wake() ends the wait of the pass in progress and the loop ends; a
// pass must itself give up its long waits (sends) once ExitFlag is set.
#pragma once

#include <thread>

#include "bridge/api/api_service.h"
#include "bridge/core/exit_flag.h"

namespace tavrel {

class ApiThread {
 public:
  // Starts the thread, named "ApiThread", running the passes of `service`, which must outlive
  // the thread.
  ApiThread(const ExitFlag& exitFlag, ApiService& service);
  // Wakes and joins the thread, so ExitFlag must have been set.
  ~ApiThread();

  ApiThread(const ApiThread&) = delete;
  ApiThread& operator=(const ApiThread&) = delete;

  // Any thread, once ExitFlag is set: ends the pass in progress, so the thread ends promptly.
  void Wake() { service_.Wake(); }

 private:
  void Run();

  const ExitFlag& exitFlag_;
  ApiService& service_;
  std::thread thread_;
};

}  // namespace tavrel
