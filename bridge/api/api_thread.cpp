#include "bridge/api/api_thread.h"

#include <pthread.h>

#include "common/crash_report.h"

namespace tavrel {

ApiThread::ApiThread(const ExitFlag& exitFlag, ApiService& service)
    : exitFlag_(exitFlag), service_(service), thread_([this] { Run(); }) {
  // Named here rather than by the thread itself, so that it carries its name before the
  // start-up goes on and writes that it has started.
  pthread_setname_np(thread_.native_handle(), "ApiThread");
}

ApiThread::~ApiThread() {
  Wake();
  thread_.join();
}

void ApiThread::Run() {
  const CrashSignalStack signalStack;
  while (!exitFlag_.IsSet()) service_.Pass();
}

}  // namespace tavrel
