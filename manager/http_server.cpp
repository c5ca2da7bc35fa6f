#include "manager/http_server.h"

#include <event2/thread.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>

#include <cstdio>
#include <utility>

namespace {

// Lets the destructor's thread activate the stop event while the loop runs.
bool UseLibeventThreads() {
  static const bool enabled = evthread_use_pthreads() == 0;
  return enabled;
}

std::uint16_t LocalPort(evutil_socket_t socket) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

}  // namespace

HttpServerThread::HttpServerThread(std::uint16_t port, RequestHandler handler, const DailyLog& log)
    : handler_(std::move(handler)) {
  signal(SIGPIPE, SIG_IGN);
  if (!UseLibeventThreads()) return;
  base_.reset(event_base_new());
  if (!base_) return;
  stop_.reset(event_new(base_.get(), -1, 0, &HttpServerThread::OnStop, base_.get()));
  http_.reset(evhttp_new(base_.get()));
  if (!stop_ || !http_) return;
  evhttp_bound_socket* bound = evhttp_bind_socket_with_handle(http_.get(), "0.0.0.0", port);
  if (bound == nullptr) return;
  boundPort_ = LocalPort(evhttp_bound_socket_get_fd(bound));
  char line[64];
  std::snprintf(line, sizeof line, "PORT=%d HTTP监听成功", port);
  log.WriteLogLine(line);
  evhttp_set_gencb(http_.get(), &HttpServerThread::OnRequest, this);
  thread_ = std::thread([base = base_.get()] { event_base_dispatch(base); });
}

HttpServerThread::~HttpServerThread() {
  if (!thread_.joinable()) return;
  event_active(stop_.get(), 0, 0);
  thread_.join();
}

void HttpServerThread::OnRequest(evhttp_request* request, void* self) {
  static_cast<HttpServerThread*>(self)->handler_(request);
}

void HttpServerThread::OnStop(evutil_socket_t, short, void* base) {
  event_base_loopbreak(static_cast<event_base*>(base));
}
