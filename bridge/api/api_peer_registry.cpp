#include "bridge/api/api_peer_registry.h"

#include <algorithm>

namespace tavrel {

void ApiPeerRegistry::Add(const std::string& address, int port) {
  const MutexLock lock(mutex_);
  const Peer peer(address, port);
  if (std::find(peers_.begin(), peers_.end(), peer) == peers_.end()) peers_.push_back(peer);
}

void ApiPeerRegistry::Remove(const std::string& address, int port) {
  const MutexLock lock(mutex_);
  std::erase(peers_, Peer(address, port));
}

std::vector<ApiPeerRegistry::Peer> ApiPeerRegistry::Peers() const {
  const MutexLock lock(mutex_);
  return peers_;
}

}  // namespace tavrel
