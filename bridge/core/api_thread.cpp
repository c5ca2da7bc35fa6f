#include "bridge/core/api_thread.h"

#include <pthread.h>

#include <chrono>
#include <utility>

#include "common/crash_report.h"

ApiThread::ApiThread(const ExitFlag& exitFlag, Pass pass)
    : exitFlag_(exitFlag), pass_(std::move(pass)), thread_([this] { Run(); }) {}

ApiThread::~ApiThread() { thread_.join(); }

void ApiThread::Run() {
  const CrashSignalStack signalStack;
  pthread_setname_np(pthread_self(), "ApiThread");
  while (!exitFlag_.IsSet()) {
    if (pass_) pass_();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}
