// A descriptor (a socket, an eventfd) that closes itself.
#pragma once

#include <unistd.h>

#include <utility>

namespace tavrel {

class UniqueSocket {
 public:
  UniqueSocket() = default;
  explicit UniqueSocket(int fd) : fd_(fd) {}
  ~UniqueSocket() { Reset(); }
  UniqueSocket(UniqueSocket&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueSocket& operator=(UniqueSocket&& other) noexcept {
    if (this != &other) {
      Reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueSocket(const UniqueSocket&) = delete;
  UniqueSocket& operator=(const UniqueSocket&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes the socket (if open); the object then holds none.
  void Reset() {
    if (fd_ >= 0) close(std::exchange(fd_, -1));
  }

 private:
  int fd_ = -1;
};

}  // namespace tavrel
