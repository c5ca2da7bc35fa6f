// ApiPeerRegistry: the registry of connected API peers, one record per (address, port).
// Records are added when a client is accepted and removed when it is dropped. Any thread may
// read the registry (for display) while ApiThread changes it.
#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

class ApiPeerRegistry {
 public:
  using Peer = std::pair<std::string, int>;  // dotted IPv4 address, TCP port

  // Adds the peer unless it is already registered.
  void Add(const std::string& address, int port);
  void Remove(const std::string& address, int port);
  std::vector<Peer> Peers() const;

 private:
  mutable std::mutex mutex_;
  std::vector<Peer> peers_;
};
