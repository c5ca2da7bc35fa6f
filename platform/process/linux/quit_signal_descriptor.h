// The quit signals (SIGTERM, SIGINT) as a readable file descriptor, for programs whose main
// thread waits in an event loop (the desktop front ends) rather than in WaitForQuitRequest
// (quit_request.h). Linux only: the desktop front ends are built for Linux alone.
//
// The signals must be blocked in every thread (ListenForQuitRequests, first in main); a signal
// then stays pending until Take() reads it, and the descriptor is readable meanwhile.
#pragma once

namespace tavrel {

class QuitSignalDescriptor {
 public:
  QuitSignalDescriptor();
  ~QuitSignalDescriptor();
  QuitSignalDescriptor(const QuitSignalDescriptor&) = delete;
  QuitSignalDescriptor& operator=(const QuitSignalDescriptor&) = delete;

  // The descriptor to watch for reading; -1 when it could not be made.
  int Descriptor() const { return descriptor_; }
  // Reads the pending quit signal; its number, or 0 when none was pending.
  int Take() const;

 private:
  int descriptor_;
};

}  // namespace tavrel
