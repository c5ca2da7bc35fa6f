#include "bridge/api/api_client.h"

#include <algorithm>

namespace tavrel {

namespace {

constexpr std::size_t kSendChunk = 8192;

}  // namespace

ApiClient::ApiClient(UniqueSocket socket, std::string peerAddress, int peerPort, int serial,
                     PeriodTimer::TickSource ticks)
    : socket_(std::move(socket)),
      peerAddress_(std::move(peerAddress)),
      peerPort_(peerPort),
      serial_(serial),
      idleTimer_(kIdleTimeoutMs, ticks),
      queued_(0),
      stallTimer_(kSendStallMs, std::move(ticks)) {}

std::ptrdiff_t ApiClient::SendNow(const std::uint8_t* data, std::size_t length) {
  std::size_t sent = 0;
  while (sent < length) {
    const std::size_t chunk = std::min(kSendChunk, length - sent);
    const std::ptrdiff_t n = SendSome(socket_.get(), data + sent, chunk);
    if (n >= 0) {
      sent += static_cast<std::size_t>(n);
    } else if (LastSocketError() == kSocketWouldBlock) {
      break;
    } else if (LastSocketError() != kSocketInterrupted) {
      Close();
      return -1;
    }
  }
  return static_cast<std::ptrdiff_t>(sent);
}

bool ApiClient::Send(const std::uint8_t* data, std::size_t length) {
  if (!IsOpen()) return false;
  std::size_t sent = 0;
  if (!HasQueuedBytes()) {
    const std::ptrdiff_t n = SendNow(data, length);
    if (n < 0) return false;
    sent = static_cast<std::size_t>(n);
    if (sent == length) return true;
    stallTimer_.Restart(true);  // the wait of the rest starts now
  }
  if (QueuedLength() + (length - sent) > kMaxQueuedBytes) {
    Close();
    return false;
  }
  queued_.Append(data + sent, length - sent);
  return true;
}

void ApiClient::SendQueued() {
  if (!IsOpen() || !HasQueuedBytes()) return;
  const std::ptrdiff_t n =
      SendNow(queued_.At(static_cast<std::ptrdiff_t>(queuedSent_)), QueuedLength());
  if (n <= 0) return;
  queuedSent_ += static_cast<std::size_t>(n);
  stallTimer_.Restart(true);
  if (!HasQueuedBytes()) {
    queuedSent_ = 0;
    queued_.ClearKeeping(kKeptQueueCapacity);
  } else if (queuedSent_ >= QueuedLength()) {
    queued_.RemoveFront(queuedSent_);
    queuedSent_ = 0;
  }
}

bool ApiClient::SendStalled() {
  if (!HasQueuedBytes() || !stallTimer_.Elapsed()) return false;
  // The API thread may have been busy elsewhere (other clients' snapshots) while the peer took
  // what the socket held. The socket is asked as the passes ask it: writable means the peer
  // made room (a third of the send buffer), not that the kernel takes a few more bytes.
  pollfd writable{socket_.get(), POLLOUT, 0};
  if (PollSockets(&writable, 1, 0) > 0 && (writable.revents & POLLOUT) != 0) SendQueued();
  return HasQueuedBytes() && stallTimer_.Elapsed();
}

std::int64_t ApiClient::MsUntilSendStalled() {
  return HasQueuedBytes() ? stallTimer_.Remaining() : -1;
}

}  // namespace tavrel
