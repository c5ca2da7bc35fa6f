// WakeEvent: a descriptor that poll() can watch and any thread can make readable, so that a
// thread waiting for its sockets also wakes for work handed to it from elsewhere.
//
// Signal() may be called from any thread and any number of times; the descriptor stays
// readable until Drain(), which only the waiting thread calls.
#pragma once

#include "wire/unique_socket.h"

namespace tavrel {

class WakeEvent {
 public:
  WakeEvent();

  int Descriptor() const { return fd_.get(); }
  void Signal();
  void Drain();

 private:
  UniqueSocket fd_;
};

}  // namespace tavrel
