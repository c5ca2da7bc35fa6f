// ApiClient: one connection of an API client, owned by the API server's client list and used
// only on ApiThread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/period_timer.h"
#include "platform/net/socket_api.h"
#include "wire/byte_buffer.h"
#include "wire/frame_codec.h"
#include "wire/unique_socket.h"

namespace tavrel {

class ApiClient {
 public:
  // A client silent this long (no decodable request) is dropped.
  static constexpr std::int64_t kIdleTimeoutMs = 60000;
  // A client that takes none of the bytes waiting for it this long is dropped: the time of the
  // 64 attempts, 10 ms apart, that a send meeting a full socket gets.
  static constexpr std::int64_t kSendStallMs = 64 * 10;
  // A client that reads so slowly that more than this waits for it is dropped as well.
  static constexpr std::size_t kMaxQueuedBytes = std::size_t{64} << 20;

  // `socket` is non-blocking.
  ApiClient(UniqueSocket socket, std::string peerAddress, int peerPort, int serial,
            PeriodTimer::TickSource ticks);

  // Queues `length` bytes behind those already waiting and sends, in chunks of at most 8192
  // bytes, what the socket takes now; never blocks. The rest goes out in later passes
  // (SendQueued) in order. False when the client is closed, or when the peer is gone or has
  // too much waiting for it, which closes the client (a later pass drops it).
  bool Send(const std::uint8_t* data, std::size_t length);
  // Sends what the socket takes now of the queued bytes (when poll() finds it writable).
  void SendQueued();
  bool HasQueuedBytes() const { return QueuedLength() > 0; }
  // True once queued bytes have waited kSendStallMs without the peer taking any of them, sent
  // from here when there is room again: time in which nothing was tried is not the peer's.
  bool SendStalled();
  // Milliseconds until SendStalled() turns true; -1 while nothing waits.
  std::int64_t MsUntilSendStalled();

  // A request of this client is being run off ApiThread; its further requests wait in the
  // receive buffer until the reply was sent, so that its replies keep the requests' order.
  bool awaitingReply = false;

  bool IsOpen() const { return socket_.valid(); }
  SocketHandle Socket() const { return socket_.get(); }
  // Closes the socket; the server drops the client in a later pass.
  void Close() { socket_.Reset(); }

  const std::string& PeerAddress() const { return peerAddress_; }
  int PeerPort() const { return peerPort_; }
  int Serial() const { return serial_; }
  ByteBuffer& ReceiveBuffer() { return receiveBuffer_; }
  // How far the receive buffer was searched for a frame start (frame_codec.h).
  FrameSearch& ReceiveSearch() { return receiveSearch_; }
  PeriodTimer& IdleTimer() { return idleTimer_; }

  // Set by the value snapshot command; from then on the client receives every value push.
  bool pushesWanted = false;

 private:
  // Sends from `data` until the socket is full; returns the bytes sent, or -1 when the peer
  // is gone (which closes the client).
  std::ptrdiff_t SendNow(const std::uint8_t* data, std::size_t length);
  std::size_t QueuedLength() const { return queued_.Length() - queuedSent_; }

  // Storage the queue keeps once it has emptied; a burst that grew it further is given back.
  static constexpr std::size_t kKeptQueueCapacity = std::size_t{1} << 20;

  UniqueSocket socket_;
  std::string peerAddress_;
  int peerPort_;
  int serial_;
  ByteBuffer receiveBuffer_;
  FrameSearch receiveSearch_;
  PeriodTimer idleTimer_;
  // The bytes from queuedSent_ on wait for the socket. Sent bytes stay in front until they are
  // at least half the queue, so each byte is moved at most once on average.
  ByteBuffer queued_;
  std::size_t queuedSent_ = 0;
  PeriodTimer stallTimer_;  // restarted whenever the peer takes queued bytes
};

}  // namespace tavrel
