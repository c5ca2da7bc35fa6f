// The socket calls on Windows: Windows Sockets 2.2.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/net/socket_api.h"

namespace tavrel {

namespace {

// Windows Sockets counts bytes in an int.
int ChunkLength(std::size_t length) {
  return static_cast<int>(std::min<std::size_t>(length, INT_MAX));
}

// Sockets of this process are not handed to the processes it starts.
void KeepFromChildren(SocketHandle socket) {
  SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
}

// The address of `socket`'s own end, or of its peer's.
sockaddr_in LocalAddress(SocketHandle socket) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
  return address;
}
sockaddr_in PeerAddress(SocketHandle socket) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  getpeername(socket, reinterpret_cast<sockaddr*>(&address), &length);
  return address;
}

bool SameAddress(const sockaddr_in& a, const sockaddr_in& b) {
  return a.sin_addr.s_addr == b.sin_addr.s_addr && a.sin_port == b.sin_port;
}

// Connects `ends` through `listener`, which listens on a loopback port; another program may
// connect to that port meanwhile, so only the connection of ends[0] itself is taken.
bool JoinThrough(SocketHandle listener, SocketHandle (&ends)[2]) {
  const sockaddr_in address = LocalAddress(listener);
  ends[0] = OpenSocket(AF_INET, SOCK_STREAM, 0);
  if (ends[0] == kInvalidSocket ||
      connect(ends[0], reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return false;
  }
  const sockaddr_in own = LocalAddress(ends[0]);
  while (true) {
    ends[1] = accept(listener, nullptr, nullptr);
    if (ends[1] == kInvalidSocket) return false;
    if (SameAddress(PeerAddress(ends[1]), own)) break;
    closesocket(std::exchange(ends[1], kInvalidSocket));
  }
  KeepFromChildren(ends[1]);
  // A wake-up of one byte leaves at once rather than wait for the previous one's
  // acknowledgement.
  return SetSocketOption(ends[0], IPPROTO_TCP, TCP_NODELAY, 1) &&
         SetSocketOption(ends[1], IPPROTO_TCP, TCP_NODELAY, 1) && SetNonBlocking(ends[0]) &&
         SetNonBlocking(ends[1]);
}

}  // namespace

SocketRuntime::SocketRuntime() {
  WSADATA data;
  started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

SocketRuntime::~SocketRuntime() {
  if (started_) WSACleanup();
}

SocketHandle OpenSocket(int family, int type, int protocol) {
  // WSA_FLAG_OVERLAPPED: what socket() makes too.
  return WSASocketW(family, type, protocol, nullptr, 0,
                    WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
}

SocketHandle AcceptSocket(SocketHandle listener, sockaddr* peer, socklen_t* peerLength) {
  const SocketHandle socket = accept(listener, peer, peerLength);
  if (socket == kInvalidSocket) return socket;
  KeepFromChildren(socket);
  if (!SetNonBlocking(socket)) {
    const int error = WSAGetLastError();
    closesocket(socket);
    WSASetLastError(error);
    return kInvalidSocket;
  }
  return socket;
}

bool OpenSocketPair(SocketHandle (&ends)[2]) {
  ends[0] = ends[1] = kInvalidSocket;
  const SocketHandle listener = OpenSocket(AF_INET, SOCK_STREAM, 0);
  if (listener == kInvalidSocket) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool joined =
      bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      listen(listener, 1) == 0 && JoinThrough(listener, ends);
  const int error = WSAGetLastError();
  closesocket(listener);
  if (!joined) {
    for (SocketHandle& end : ends) CloseSocket(std::exchange(end, kInvalidSocket));
    WSASetLastError(error);
  }
  return joined;
}

void CloseSocket(SocketHandle socket) {
  if (socket != kInvalidSocket) closesocket(socket);
}

bool SetNonBlocking(SocketHandle socket) {
  u_long on = 1;
  return ioctlsocket(socket, FIONBIO, &on) == 0;
}

bool SetSocketOption(SocketHandle socket, int level, int name, int value) {
  return setsockopt(socket, level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0;
}

void ReuseListeningAddress(SocketHandle) {}

std::ptrdiff_t SendSome(SocketHandle socket, const void* bytes, std::size_t length) {
  const int sent = send(socket, static_cast<const char*>(bytes), ChunkLength(length), 0);
  return sent == SOCKET_ERROR ? -1 : sent;
}

std::ptrdiff_t ReceiveSome(SocketHandle socket, void* bytes, std::size_t capacity) {
  const int received = recv(socket, static_cast<char*>(bytes), ChunkLength(capacity), 0);
  return received == SOCKET_ERROR ? -1 : received;
}

int PollSockets(pollfd* entries, std::size_t count, int timeoutMs) {
  const auto valid = [](const pollfd& entry) { return entry.fd != kInvalidSocket; };
  if (std::all_of(entries, entries + count, valid)) {
    const int ready = WSAPoll(entries, static_cast<ULONG>(count), timeoutMs);
    return ready == SOCKET_ERROR ? -1 : ready;
  }
  // Windows skips an entry of INVALID_SOCKET, as poll() one of -1; Wine answers it with
  // POLLNVAL at once, so the skipped entries are taken out here.
  std::vector<pollfd> polled;
  std::copy_if(entries, entries + count, std::back_inserter(polled), valid);
  int ready = 0;
  if (polled.empty()) {
    Sleep(timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
  } else {
    ready = WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), timeoutMs);
  }
  auto next = polled.begin();
  for (pollfd* entry = entries; entry != entries + count; ++entry) {
    entry->revents = valid(*entry) ? (next++)->revents : 0;
  }
  return ready == SOCKET_ERROR ? -1 : ready;
}

int ConnectWithin(SocketHandle socket, const sockaddr* address, socklen_t addressLength,
                  int timeoutMs) {
  if (connect(socket, address, addressLength) == 0) return 0;
  if (WSAGetLastError() != WSAEWOULDBLOCK) return WSAGetLastError();
  // A refused or unreachable connection shows in the exception set, one that was made in the
  // write set.
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(socket, &writable);
  FD_SET(socket, &failed);
  timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  const int ready = select(0, nullptr, &writable, &failed, timeoutMs < 0 ? nullptr : &timeout);
  if (ready == SOCKET_ERROR) return WSAGetLastError();
  if (ready == 0) return kSocketTimedOut;
  int status = 0;
  int length = sizeof status;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&status), &length) != 0) {
    return WSAGetLastError();
  }
  return status;
}

std::string SocketErrorText(int error) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = length > 0 ? std::string(text, length) : std::string();
  LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                             result.back() == ' ' || result.back() == '.')) {
    result.pop_back();
  }
  return result.empty() ? "socket error " + std::to_string(error) : result;
}

// getaddrinfo() returns a Windows Sockets error.
std::string ResolveErrorText(int error) { return SocketErrorText(error); }

}  // namespace tavrel
