// The HTTP server of the manager: a libevent HTTP server on a thread of its own.
//
// The server listens on the address it is given (0.0.0.0, every address, by default) and hands
// every request, whatever its method and path, to one
// handler, on the server's thread, one request after another. The handler must eventually
// answer each request (evhttp_send_reply); while it runs no other request is served. It may
// throw only before it has answered: the request is then answered 500 (Internal Server Error)
// here, so that no exception, an allocation failure above all, crosses libevent's C frames.
//
// Construction sets the server up on the calling thread (event base, HTTP server, bind, the
// log line "PORT=%d HTTP监听成功" with the configured port, then "HTTP: listening on
// <address>:<port>" with the port actually bound) and then runs the event loop on the server's
// thread. When the port cannot be bound, one line says which port on which address and why
// ("HTTP: cannot listen on 0.0.0.0:9527: Address already in use; ..."), also on standard error
// when it is a terminal, and no thread runs: the manager goes on without HTTP, and does not
// try again. When the server cannot be created at all, nothing is logged. Destruction ends the
// loop (safely from any other thread), joins the thread and frees the server, closing its
// connections.
//
// What a peer may take is bounded (HttpServerLimits): a body over the limit is answered 413
// (Payload Too Large) by libevent, without being kept, and logged; so are the bodies being
// received on all connections together (503 and the connection closed, http_connections.h); a
// connection that goes the time-out without a whole request arriving is closed, so neither
// idle nor trickling peers hold descriptors; at the connection cap no more are accepted until
// some close. When accept fails (no descriptor left), accepting pauses and resumes after a
// back-off that doubles up to a few seconds, instead of retrying at once for ever; a run of
// failures is logged with one line at its start (lost when no descriptor is left for the log)
// and one when it ends.
//
// A peer that closes its connection while a reply is being written must not end the process,
// so constructing a server ignores SIGPIPE for the whole process.
#pragma once

#include <event2/event.h>
#include <event2/http.h>
#include <event2/listener.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "common/daily_log.h"
#include "common/listen_settings.h"
#include "manager/http_connections.h"
#include "platform/net/socket_api.h"

namespace tavrel {

// What one peer, or many, may take of the server; the defaults are the manager's.
struct HttpServerLimits {
  size_t maxBodySize = size_t{64} << 20;  // bytes of one request body
  // How long a connection may go without a whole request arriving (idle or slow alike).
  std::chrono::milliseconds connectionTimeout{30000};
  size_t maxConnections = 128;  // open at a time; more wait in the system's listen queue
  // Bytes of requests not yet whole, across all connections; beyond it the connection that
  // brings more is answered 503 (Service Unavailable) and closed.
  size_t maxBufferedBytes = size_t{128} << 20;
};

class HttpServerThread {
 public:
  using RequestHandler = std::function<void(evhttp_request*)>;

  // Listens on `address` (an IPv4 address; 0.0.0.0: every one) and `port` (0: a port the
  // system chooses) and logs to `log`, which must outlive the server.
  HttpServerThread(std::uint16_t port, RequestHandler handler, const DailyLog& log,
                   HttpServerLimits limits = {}, const std::string& address = kEveryAddress);
  ~HttpServerThread();
  HttpServerThread(const HttpServerThread&) = delete;
  HttpServerThread& operator=(const HttpServerThread&) = delete;

  // True when the port was bound and the loop runs.
  bool listening() const { return thread_.joinable(); }
  // The port actually bound (the system's choice for port 0); 0 when not listening.
  std::uint16_t boundPort() const { return boundPort_; }

 private:
  using Clock = HttpConnections::Clock;

  static void OnRequest(evhttp_request* request, void* self);
  static bufferevent* OnConnection(event_base* base, void* self);
  static void OnAcceptError(evconnlistener* listener, void* self);
  static void OnTick(evutil_socket_t, short, void* self);
  static void OnStop(evutil_socket_t, short, void* base);

  // Writes `line` to the log; a line that cannot even be formed is lost.
  void TryLog(const char* line) const noexcept;
  // Accepts while below the connection cap and not pausing after a failed accept.
  void UpdateAccepting(size_t openConnections);

  struct BaseDeleter {
    void operator()(event_base* base) const { event_base_free(base); }
  };
  struct EventDeleter {
    void operator()(event* stop) const { event_free(stop); }
  };
  struct HttpDeleter {
    void operator()(evhttp* http) const { evhttp_free(http); }
  };

  // First made and last gone: libevent's sockets need Windows Sockets started.
  SocketRuntime sockets_;
  RequestHandler handler_;
  const DailyLog& log_;
  HttpServerLimits limits_;
  std::unique_ptr<event_base, BaseDeleter> base_;
  // Activated from the destructor to break the loop: an active event is kept until the loop
  // runs it, so the request cannot be lost even before the loop has started.
  std::unique_ptr<event, EventDeleter> stop_;
  // Sweeps the connections and ends a pause of accepting.
  std::unique_ptr<event, EventDeleter> tick_;
  // Freed after the server (declared before it), which frees the connections first.
  HttpConnections connections_;
  std::unique_ptr<evhttp, HttpDeleter> http_;
  evconnlistener* listener_ = nullptr;  // owned by http_
  bool accepting_ = true;
  unsigned long acceptFailures_ = 0;  // since the last accept that worked
  std::chrono::milliseconds acceptBackOff_{0};
  Clock::time_point pausedUntil_{};
  std::uint16_t boundPort_ = 0;
  std::thread thread_;
};

}  // namespace tavrel
