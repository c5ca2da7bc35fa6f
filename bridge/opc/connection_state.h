// The state of a connection to its server, as its worker moves it.
#pragma once

namespace tavrel {

enum class ConnectionState {
  kIdle,       // no server held; the connect tick makes an attempt
  kHeld,       // the server's main interface is held, no read cycles: during an attempt, or
               // after a bulk registration failed (the status watch or a restart leaves it)
  kConnected,  // registered and reading
};

}  // namespace tavrel
