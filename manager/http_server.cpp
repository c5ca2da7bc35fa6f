#include "manager/http_server.h"

#include <event2/buffer.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <utility>

#include "common/terminal_echo.h"
#include "manager/manager_platform.h"
#include "platform/net/socket_api.h"

namespace tavrel {

namespace {

// The pause after the first failed accept of a run; each further failure doubles it.
constexpr std::chrono::milliseconds kFirstAcceptBackOff{100};
constexpr std::chrono::milliseconds kLongestAcceptBackOff{3200};

// libevent hands the listener's error call-back the server object of evhttp, not ours; the
// call-back runs on the loop's thread, which serves exactly one server.
thread_local HttpServerThread* loopServer = nullptr;

std::uint16_t LocalPort(evutil_socket_t socket) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(static_cast<SocketHandle>(socket), reinterpret_cast<sockaddr*>(&address),
                  &length) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

timeval ToTimeval(std::chrono::microseconds duration) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
  return {static_cast<decltype(timeval::tv_sec)>(seconds.count()),
          static_cast<decltype(timeval::tv_usec)>((duration - seconds).count())};
}

// How often connections are swept and a paused accept resumes: a tenth of the time-out, at
// most 100 ms.
std::chrono::milliseconds TickPeriod(std::chrono::milliseconds connectionTimeout) {
  return std::clamp(connectionTimeout / 10, std::chrono::milliseconds(10),
                    std::chrono::milliseconds(100));
}

}  // namespace

HttpServerThread::HttpServerThread(std::uint16_t port, RequestHandler handler, const DailyLog& log,
                                   HttpServerLimits limits, const std::string& address)
    : handler_(std::move(handler)),
      log_(log),
      limits_(limits),
      connections_(limits.connectionTimeout, limits.maxBodySize, limits.maxBufferedBytes, log) {
  // Lets the destructor's thread activate the stop event while the loop runs.
  if (!PrepareLibeventForThreads()) return;
  base_.reset(event_base_new());
  if (!base_) return;
  stop_.reset(event_new(base_.get(), -1, 0, &HttpServerThread::OnStop, base_.get()));
  tick_.reset(event_new(base_.get(), -1, EV_PERSIST, &HttpServerThread::OnTick, this));
  http_.reset(evhttp_new(base_.get()));
  if (!stop_ || !tick_ || !http_) return;
  evhttp_set_max_body_size(http_.get(), static_cast<ev_ssize_t>(limits_.maxBodySize));
  const timeval timeout = ToTimeval(limits_.connectionTimeout);
  evhttp_set_timeout_tv(http_.get(), &timeout);
  // A body over the limit is read and dropped before the 413, so the peer gets to read it.
  if (evhttp_set_flags(http_.get(), EVHTTP_SERVER_LINGERING_CLOSE) != 0) return;
  evhttp_set_bevcb(http_.get(), &HttpServerThread::OnConnection, this);
  EVUTIL_SET_SOCKET_ERROR(0);
  evhttp_bound_socket* bound = evhttp_bind_socket_with_handle(http_.get(), address.c_str(), port);
  if (bound == nullptr) {
    // libevent leaves the failed bind's error; the socket's close after it keeps it.
    const int error = LastSocketError();
    const std::string line = "HTTP: cannot listen on " + address + ":" + std::to_string(port) +
                             ": " +
                             (error != 0 ? SocketErrorText(error) : std::string("unknown error")) +
                             "; the manager goes on without its HTTP interface";
    log.WriteLogLine(line);
    EchoToTerminal("Morvane", line);
    return;
  }
  listener_ = evhttp_bound_socket_get_listener(bound);
  if (listener_ == nullptr) return;
  evconnlistener_set_error_cb(listener_, &HttpServerThread::OnAcceptError);
  const timeval period = ToTimeval(TickPeriod(limits_.connectionTimeout));
  if (event_add(tick_.get(), &period) != 0) return;
  boundPort_ = LocalPort(evhttp_bound_socket_get_fd(bound));
  char line[64];
  std::snprintf(line, sizeof line, "PORT=%d HTTP监听成功", port);
  log.WriteLogLine(line);
  log.WriteLogLine("HTTP: listening on " + address + ":" + std::to_string(boundPort_));
  evhttp_set_gencb(http_.get(), &HttpServerThread::OnRequest, this);
  thread_ = std::thread([this] {
    loopServer = this;
    if (event_base_dispatch(base_.get()) < 0) TryLog("HTTP事件循环出错,已停止");
  });
}

HttpServerThread::~HttpServerThread() {
  if (!thread_.joinable()) return;
  event_active(stop_.get(), 0, 0);
  thread_.join();
}

void HttpServerThread::OnRequest(evhttp_request* request, void* self) {
  auto& server = *static_cast<HttpServerThread*>(self);
  server.connections_.RequestArrived(request);
  try {
    server.handler_(request);
  } catch (...) {
    // Nothing was sent (the handler's contract); what it had put in the reply is dropped.
    evbuffer* output = evhttp_request_get_output_buffer(request);
    // Fails only on a frozen buffer, which the reply of a request not yet answered is not.
    (void)evbuffer_drain(output, evbuffer_get_length(output));
    evhttp_send_error(request, HTTP_INTERNAL, nullptr);
  }
}

bufferevent* HttpServerThread::OnConnection(event_base* base, void* self) {
  auto& server = *static_cast<HttpServerThread*>(self);
  if (server.acceptFailures_ > 0) {
    // At the descriptor limit the first line could not be written; this one tells the story.
    char line[96];
    std::snprintf(line, sizeof line, "HTTP恢复接受连接,此前失败%lu次", server.acceptFailures_);
    server.TryLog(line);
    server.acceptFailures_ = 0;
  }
  // Forgotten first: the new connection's bufferevent has no call-back argument until evhttp
  // has set it up, after this call-back.
  server.connections_.ForgetClosed();
  bufferevent* events = server.connections_.Open(base);
  server.UpdateAccepting(server.connections_.size());
  return events;
}

void HttpServerThread::OnAcceptError(evconnlistener*, void*) {
  HttpServerThread& server = *loopServer;
  const int error = EVUTIL_SOCKET_ERROR();
  if (server.acceptFailures_++ == 0) {
    server.acceptBackOff_ = kFirstAcceptBackOff;
    char line[256];
    std::snprintf(line, sizeof line, "HTTP接受连接失败(%s),暂停接受新连接",
                  SocketErrorText(error).c_str());
    server.TryLog(line);
  } else {
    server.acceptBackOff_ = std::min(server.acceptBackOff_ * 2, kLongestAcceptBackOff);
  }
  server.pausedUntil_ = Clock::now() + server.acceptBackOff_;
  server.UpdateAccepting(server.connections_.ForgetClosed());
}

void HttpServerThread::OnTick(evutil_socket_t, short, void* self) {
  auto& server = *static_cast<HttpServerThread*>(self);
  server.UpdateAccepting(server.connections_.Sweep(Clock::now()));
}

void HttpServerThread::OnStop(evutil_socket_t, short, void* base) {
  // Fails only without a base, and then there is no loop to end either.
  (void)event_base_loopbreak(static_cast<event_base*>(base));
}

void HttpServerThread::TryLog(const char* line) const noexcept {
  try {
    log_.WriteLogLine(line);
  } catch (const std::bad_alloc&) {
    // The line is lost; nothing else depends on it.
  }
}

void HttpServerThread::UpdateAccepting(size_t openConnections) {
  const bool accept = openConnections < limits_.maxConnections && Clock::now() >= pausedUntil_;
  if (accept == accepting_) return;
  // A call that fails leaves the state as it was; the next tick tries again.
  const int changed = accept ? evconnlistener_enable(listener_) : evconnlistener_disable(listener_);
  if (changed == 0) accepting_ = accept;
}

}  // namespace tavrel
