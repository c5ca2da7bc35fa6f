// The socket calls on Linux: the BSD calls themselves.
#include <fcntl.h>
#include <unistd.h>

#include <system_error>

#include "platform/net/socket_api.h"

namespace tavrel {

SocketRuntime::SocketRuntime() : started_(true) {}

SocketRuntime::~SocketRuntime() = default;

SocketHandle OpenSocket(int family, int type, int protocol) {
  return socket(family, type | SOCK_CLOEXEC, protocol);
}

SocketHandle AcceptSocket(SocketHandle listener, sockaddr* peer, socklen_t* peerLength) {
  return accept4(listener, peer, peerLength, SOCK_CLOEXEC | SOCK_NONBLOCK);
}

void CloseSocket(SocketHandle socket) {
  if (socket != kInvalidSocket) close(socket);
}

bool OpenSocketPair(SocketHandle (&ends)[2]) {
  return socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) == 0;
}

bool SetNonBlocking(SocketHandle socket) {
  const int flags = fcntl(socket, F_GETFL);
  return flags >= 0 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool SetSocketOption(SocketHandle socket, int level, int name, int value) {
  return setsockopt(socket, level, name, &value, sizeof value) == 0;
}

void ReuseListeningAddress(SocketHandle listener) {
  SetSocketOption(listener, SOL_SOCKET, SO_REUSEADDR, 1);
}

std::ptrdiff_t SendSome(SocketHandle socket, const void* bytes, std::size_t length) {
  return send(socket, bytes, length, MSG_NOSIGNAL);
}

std::ptrdiff_t ReceiveSome(SocketHandle socket, void* bytes, std::size_t capacity) {
  return recv(socket, bytes, capacity, 0);
}

int PollSockets(pollfd* entries, std::size_t count, int timeoutMs) {
  return poll(entries, count, timeoutMs);
}

int ConnectWithin(SocketHandle socket, const sockaddr* address, socklen_t addressLength,
                  int timeoutMs) {
  if (connect(socket, address, addressLength) == 0) return 0;
  if (errno != EINPROGRESS) return errno;
  pollfd writable{socket, POLLOUT, 0};
  const int ready = poll(&writable, 1, timeoutMs);
  if (ready < 0) return errno;
  if (ready == 0) return kSocketTimedOut;
  int status = 0;
  socklen_t length = sizeof status;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &status, &length) != 0) return errno;
  return status;
}

std::string SocketErrorText(int error) { return std::generic_category().message(error); }

std::string ResolveErrorText(int error) { return gai_strerror(error); }

}  // namespace tavrel
