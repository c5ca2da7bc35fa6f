// The HTTP server of the manager: a libevent HTTP server on a thread of its own.
//
// The server listens on 0.0.0.0 and hands every request, whatever its method and path, to one
// handler, on the server's thread, one request after another. The handler must eventually
// answer each request (evhttp_send_reply); while it runs no other request is served.
//
// Construction sets the server up on the calling thread (event base, HTTP server, bind, the
// log line "PORT=%d HTTP监听成功") and then runs the event loop on the server's thread. When the
// server cannot be created or the port cannot be bound, nothing is logged and no thread runs;
// the manager goes on without HTTP. Destruction ends the loop (safely from any other thread),
// joins the thread and frees the server, closing its connections.
//
// A peer that closes its connection while a reply is being written must not end the process,
// so constructing a server ignores SIGPIPE for the whole process.
#pragma once

#include <event2/event.h>
#include <event2/http.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "common/daily_log.h"

class HttpServerThread {
 public:
  using RequestHandler = std::function<void(evhttp_request*)>;

  // Listens on `port` (0: a port the system chooses) and logs to `log`.
  HttpServerThread(std::uint16_t port, RequestHandler handler, const DailyLog& log);
  ~HttpServerThread();
  HttpServerThread(const HttpServerThread&) = delete;
  HttpServerThread& operator=(const HttpServerThread&) = delete;

  // True when the port was bound and the loop runs.
  bool listening() const { return thread_.joinable(); }
  // The port actually bound (the system's choice for port 0); 0 when not listening.
  std::uint16_t boundPort() const { return boundPort_; }

 private:
  static void OnRequest(evhttp_request* request, void* self);
  static void OnStop(evutil_socket_t, short, void* base);

  struct BaseDeleter {
    void operator()(event_base* base) const { event_base_free(base); }
  };
  struct EventDeleter {
    void operator()(event* stop) const { event_free(stop); }
  };
  struct HttpDeleter {
    void operator()(evhttp* http) const { evhttp_free(http); }
  };

  RequestHandler handler_;
  std::unique_ptr<event_base, BaseDeleter> base_;
  // Activated from the destructor to break the loop: an active event is kept until the loop
  // runs it, so the request cannot be lost even before the loop has started.
  std::unique_ptr<event, EventDeleter> stop_;
  std::unique_ptr<evhttp, HttpDeleter> http_;
  std::uint16_t boundPort_ = 0;
  std::thread thread_;
};
