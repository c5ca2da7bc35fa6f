#include "platform/process/linux/quit_signal_descriptor.h"

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "platform/process/linux/quit_signal.h"

namespace tavrel {

QuitSignalDescriptor::QuitSignalDescriptor() {
  const sigset_t signals = QuitSignalSet();
  descriptor_ = signalfd(-1, &signals, SFD_NONBLOCK | SFD_CLOEXEC);
}

QuitSignalDescriptor::~QuitSignalDescriptor() {
  if (descriptor_ >= 0) close(descriptor_);
}

int QuitSignalDescriptor::Take() const {
  signalfd_siginfo info{};
  if (read(descriptor_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return 0;
  return static_cast<int>(info.ssi_signo);
}

}  // namespace tavrel
