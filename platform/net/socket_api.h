// The socket calls of the programs, spelled once for both builds: the third seam between the
// platforms (beside platform/com/com_api.h and common/wide_string.h).
//
// Both builds have the BSD calls with the same names and meanings (socket address structures,
// bind, listen, connect, getsockname, inet_pton, getaddrinfo, shutdown, pollfd with POLLIN and
// POLLOUT); Windows Sockets differs in the handle type, closing, errors, the byte pointers and
// lengths of send and recv, option values, blocking mode, inheritance and poll. Code above this
// header uses only the names below for those, and never includes a socket header itself.
//
// On Windows no socket call works before SocketRuntime started Windows Sockets 2.2: a program
// holds one for its whole run, a test for as long as it makes sockets.
#pragma once

#ifdef _WIN32

#include <winsock2.h>
#include <ws2tcpip.h>

namespace tavrel {

using SocketHandle = SOCKET;
inline constexpr SocketHandle kInvalidSocket = INVALID_SOCKET;

inline constexpr int kSocketWouldBlock = WSAEWOULDBLOCK;
inline constexpr int kSocketInterrupted = WSAEINTR;
inline constexpr int kSocketTimedOut = WSAETIMEDOUT;
// shutdown(): no more sending.
inline constexpr int kShutdownSend = SD_SEND;

inline int LastSocketError() { return WSAGetLastError(); }

}  // namespace tavrel

#else

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

namespace tavrel {

using SocketHandle = int;
inline constexpr SocketHandle kInvalidSocket = -1;

inline constexpr int kSocketWouldBlock = EWOULDBLOCK;  // the same as EAGAIN on Linux
inline constexpr int kSocketInterrupted = EINTR;
inline constexpr int kSocketTimedOut = ETIMEDOUT;
inline constexpr int kShutdownSend = SHUT_WR;

inline int LastSocketError() { return errno; }

}  // namespace tavrel

#endif

#include <cstddef>
#include <string>

namespace tavrel {

// Starts Windows Sockets 2.2 for as long as it lives (nested ones are counted by the system);
// nothing on Linux. Started() is false when the system refused.
class SocketRuntime {
 public:
  SocketRuntime();
  ~SocketRuntime();
  SocketRuntime(const SocketRuntime&) = delete;
  SocketRuntime& operator=(const SocketRuntime&) = delete;

  bool Started() const { return started_; }

 private:
  bool started_ = false;
};

// A socket that processes the program starts do not inherit; kInvalidSocket on failure
// (LastSocketError() says why).
SocketHandle OpenSocket(int family, int type, int protocol);
// Accepts a connection of `listener` as a non-blocking socket that processes the program
// starts do not inherit; kInvalidSocket when there is none or on failure.
SocketHandle AcceptSocket(SocketHandle listener, sockaddr* peer, socklen_t* peerLength);
// Closes `socket`; a socket that is kInvalidSocket is left alone.
void CloseSocket(SocketHandle socket);
// Makes the socket's sends, receives, accepts and connects return at once rather than wait.
bool SetNonBlocking(SocketHandle socket);
// An option whose value is an int (SO_RCVBUF, TCP_NODELAY, ...).
bool SetSocketOption(SocketHandle socket, int level, int name, int value);
// For a listening socket, before bind(): lets it bind its port while connections of an
// earlier socket of that port linger after their close (SO_REUSEADDR on Linux). On Windows,
// where SO_REUSEADDR would let it take a port that another program listens on, it does
// nothing.
void ReuseListeningAddress(SocketHandle listener);

// Sends what the socket takes of `length` bytes: the count sent, or -1 with LastSocketError().
// A peer that is gone gives an error, never a signal.
std::ptrdiff_t SendSome(SocketHandle socket, const void* bytes, std::size_t length);
// Receives at most `capacity` bytes: the count, 0 when the peer closed, or -1 with
// LastSocketError().
std::ptrdiff_t ReceiveSome(SocketHandle socket, void* bytes, std::size_t capacity);

// Two stream sockets connected to each other, non-blocking and not inherited, in `ends`: a Unix
// socket pair on Linux; on Windows, which has none, two TCP sockets joined over the loopback
// address (by a listener that is closed again, and that takes only the other end's own
// connection). False on failure, with LastSocketError().
bool OpenSocketPair(SocketHandle (&ends)[2]);

// poll() of the sockets (WSAPoll on Windows): the number of entries with events, 0 when
// `timeoutMs` passed first (a negative one waits without end), -1 on failure. An entry whose
// socket is kInvalidSocket is skipped and gets no events.
int PollSockets(pollfd* entries, std::size_t count, int timeoutMs);

// Connects the non-blocking `socket` to `address` within `timeoutMs`: 0 once connected, else
// the error (kSocketTimedOut when the time ran out). On Windows the wait is select(), which,
// unlike WSAPoll before Windows 10 2004, reports a refused connection at once.
int ConnectWithin(SocketHandle socket, const sockaddr* address, socklen_t addressLength,
                  int timeoutMs);

// The system's text for a socket error of LastSocketError() or ConnectWithin() (on Windows in
// the system code page), without a line end.
std::string SocketErrorText(int error);
// The system's text for what getaddrinfo() returned.
std::string ResolveErrorText(int error);

}  // namespace tavrel
