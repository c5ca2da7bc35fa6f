#include "bridge/api/api_peer_registry.h"

#include <algorithm>

void CApiClientObjectMgr::Add(const std::string& address, int port) {
  const std::lock_guard lock(mutex_);
  const Peer peer(address, port);
  if (std::find(peers_.begin(), peers_.end(), peer) == peers_.end()) peers_.push_back(peer);
}

void CApiClientObjectMgr::Remove(const std::string& address, int port) {
  const std::lock_guard lock(mutex_);
  std::erase(peers_, Peer(address, port));
}

std::vector<CApiClientObjectMgr::Peer> CApiClientObjectMgr::Peers() const {
  const std::lock_guard lock(mutex_);
  return peers_;
}
