// ApiPeerRegistry: the registry of connected API peers, one record per (address, port).
// Records are added when a client is accepted and removed when it is dropped. Any thread may
// read the registry (for display) while ApiThread changes it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/mutex.h"

namespace tavrel {

class ApiPeerRegistry {
 public:
  using Peer = std::pair<std::string, int>;  // dotted IPv4 address, TCP port

  // Adds the peer unless it is already registered.
  void Add(const std::string& address, int port);
  void Remove(const std::string& address, int port);
  std::vector<Peer> Peers() const;

 private:
  mutable Mutex mutex_;
  std::vector<Peer> peers_ GUARDED_BY(mutex_);
};

}  // namespace tavrel
