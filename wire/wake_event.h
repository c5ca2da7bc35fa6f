// WakeEvent: a socket that a wait on sockets (PollSockets) can watch and any thread can make
// readable, so that a thread waiting for its sockets also wakes for work handed to it from
// elsewhere.
//
// Signal() may be called from any thread and any number of times; the socket stays readable
// until Drain(), which only the waiting thread calls. On Windows a SocketRuntime must be held
// while the event lives. There, signals still in flight when Drain() ran make the socket
// readable again once: a wait may then end early, but it never misses a signal.
//
// The event is one end of a socket pair (OpenSocketPair): Signal() writes a byte to the other
// end, Drain() reads what came. On Windows the pair is two loopback TCP sockets, because
// WSAPoll watches sockets only. The other way there, a Windows event that WSAEventSelect ties
// to every socket, waited for with WaitForMultipleObjects and followed by a zero-time WSAPoll,
// serves any number of sockets too, but its socket events are edge-triggered (recorded once
// until the call that re-enables them), bind each socket to the event until it is closed, and
// make the wait differ between the builds; the pair keeps one level-triggered wait, the same
// code for both, at the price of two sockets and a one-byte loopback send per signal.
#pragma once

#include "platform/net/socket_api.h"
#include "wire/unique_socket.h"

namespace tavrel {

class WakeEvent {
 public:
  WakeEvent();

  // The end to watch for readability; kInvalidSocket when the pair could not be made.
  SocketHandle Descriptor() const { return watched_.get(); }
  void Signal();
  void Drain();

 private:
  UniqueSocket watched_;
  UniqueSocket signalled_;  // the end Signal() writes to
};

}  // namespace tavrel
