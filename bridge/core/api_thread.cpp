#include "bridge/core/api_thread.h"

#include <pthread.h>

#include "common/crash_report.h"

ApiThread::ApiThread(const ExitFlag& exitFlag, ApiService* service)
    : exitFlag_(exitFlag), service_(service) {
  if (service_ != nullptr) thread_ = std::thread([this] { Run(); });
}

ApiThread::~ApiThread() {
  Wake();
  if (thread_.joinable()) thread_.join();
}

void ApiThread::Wake() {
  if (service_ != nullptr) service_->Wake();
}

void ApiThread::Run() {
  const CrashSignalStack signalStack;
  pthread_setname_np(pthread_self(), "ApiThread");
  while (!exitFlag_.IsSet()) service_->Pass();
}
