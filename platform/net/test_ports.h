// Test helper: a loopback TCP port for a server under test.
#pragma once

#include "platform/net/socket_api.h"

namespace tavrel {

// A port that was free on 127.0.0.1 a moment ago (the system's choice for port 0), or 0 when
// none could be had. Another program may take it before the test binds it; tests use it for
// programs they configure by file, where the system cannot choose for them. On Windows the
// caller holds a SocketRuntime.
inline int FreeLoopbackPort() {
  const SocketHandle probe = OpenSocket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  const bool bound =
      bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  CloseSocket(probe);
  return bound ? ntohs(address.sin_port) : 0;
}

}  // namespace tavrel
