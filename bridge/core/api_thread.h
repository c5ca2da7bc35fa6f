// ApiThread: the thread that does all network work of the API server.
//
// While ExitFlag is clear it runs one pass of the API server (listen, accept, read and answer
// requests, flush pending pushes), then sleeps 1 ms. A pass must return within a few
// milliseconds and must itself give up its long waits (sends) once ExitFlag is set.
#pragma once

#include <functional>
#include <thread>

#include "bridge/core/exit_flag.h"

class ApiThread {
 public:
  using Pass = std::function<void()>;

  // Starts the thread. `pass` is the API server's pass; an empty one leaves the loop without
  // work, which is how the bridge runs until it has an API server.
  ApiThread(const ExitFlag& exitFlag, Pass pass);
  // Joins the thread, so ExitFlag must have been set.
  ~ApiThread();

  ApiThread(const ApiThread&) = delete;
  ApiThread& operator=(const ApiThread&) = delete;

 private:
  void Run();

  const ExitFlag& exitFlag_;
  const Pass pass_;
  std::thread thread_;
};
