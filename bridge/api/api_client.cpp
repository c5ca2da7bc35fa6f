#include "bridge/api/api_client.h"

#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {

constexpr std::size_t kSendChunk = 8192;
constexpr int kSendRetries = 64;
constexpr auto kSendRetryPause = std::chrono::milliseconds(10);

}  // namespace

ApiClient::ApiClient(UniqueSocket socket, std::string peerAddress, int peerPort, int serial,
                     PeriodTimer::TickSource ticks)
    : socket_(std::move(socket)),
      peerAddress_(std::move(peerAddress)),
      peerPort_(peerPort),
      serial_(serial),
      idleTimer_(kIdleTimeoutMs, std::move(ticks)) {}

int ApiClient::Send(const std::uint8_t* data, std::size_t length, const ExitFlag& exitFlag) {
  std::size_t sent = 0;
  int failures = 0;
  while (sent < length) {
    if (!socket_.valid() || exitFlag.IsSet()) return -1;
    const std::size_t chunk = std::min(kSendChunk, length - sent);
    const ssize_t n = send(socket_.get(), data + sent, chunk, MSG_NOSIGNAL);
    if (n >= 0) {
      sent += static_cast<std::size_t>(n);
      failures = 0;
      continue;
    }
    if ((errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) || ++failures >= kSendRetries) {
      return -1002;
    }
    std::this_thread::sleep_for(kSendRetryPause);
  }
  return static_cast<int>(length);
}
