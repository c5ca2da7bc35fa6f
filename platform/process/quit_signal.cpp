#include "platform/process/quit_signal.h"

#include <pthread.h>

namespace {

sigset_t QuitSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  return signals;
}

}  // namespace

void BlockQuitSignals() {
  const sigset_t signals = QuitSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

int WaitForQuitSignal() {
  const sigset_t signals = QuitSignals();
  int received = 0;
  while (sigwait(&signals, &received) != 0) {
  }
  return received;
}
