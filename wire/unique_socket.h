// A socket that closes itself.
#pragma once

#include <utility>

#include "platform/net/socket_api.h"

namespace tavrel {

class UniqueSocket {
 public:
  UniqueSocket() = default;
  explicit UniqueSocket(SocketHandle socket) : socket_(socket) {}
  ~UniqueSocket() { Reset(); }
  UniqueSocket(UniqueSocket&& other) noexcept
      : socket_(std::exchange(other.socket_, kInvalidSocket)) {}
  UniqueSocket& operator=(UniqueSocket&& other) noexcept {
    if (this != &other) {
      Reset();
      socket_ = std::exchange(other.socket_, kInvalidSocket);
    }
    return *this;
  }
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;

  SocketHandle get() const { return socket_; }
  bool valid() const { return socket_ != kInvalidSocket; }
  // Closes the socket (if open); the object then holds none.
  void Reset() { CloseSocket(std::exchange(socket_, kInvalidSocket)); }

 private:
  SocketHandle socket_ = kInvalidSocket;
};

}  // namespace tavrel
