// ApiClient: one connection of an API client, owned by the API server's client list and used
// only on ApiThread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "bridge/core/exit_flag.h"
#include "common/period_timer.h"
#include "wire/byte_buffer.h"
#include "wire/unique_socket.h"

class ApiClient {
 public:
  // A client silent this long (no decodable request) is dropped.
  static constexpr std::int64_t kIdleTimeoutMs = 60000;

  ApiClient(UniqueSocket socket, std::string peerAddress, int peerPort, int serial,
            PeriodTimer::TickSource ticks);

  // Sends `length` bytes on the blocking socket in chunks of at most 8192 bytes. A chunk that
  // fails with EINTR or EAGAIN is retried after 10 ms, up to 64 failures in a row. Returns the
  // length sent; -1 when the socket is closed or `exitFlag` is set meanwhile; -1002 on any
  // other failure. A failed send leaves the connection as it is.
  int Send(const std::uint8_t* data, std::size_t length, const ExitFlag& exitFlag);

  bool IsOpen() const { return socket_.valid(); }
  int Socket() const { return socket_.get(); }
  // Closes the socket; the server drops the client in a later pass.
  void Close() { socket_.Reset(); }

  const std::string& PeerAddress() const { return peerAddress_; }
  int PeerPort() const { return peerPort_; }
  int Serial() const { return serial_; }
  ByteBuffer& ReceiveBuffer() { return receiveBuffer_; }
  PeriodTimer& IdleTimer() { return idleTimer_; }

  // Set by the value snapshot command; from then on the client receives every value push.
  bool pushesWanted = false;

 private:
  UniqueSocket socket_;
  std::string peerAddress_;
  int peerPort_;
  int serial_;
  ByteBuffer receiveBuffer_;
  PeriodTimer idleTimer_;
};
