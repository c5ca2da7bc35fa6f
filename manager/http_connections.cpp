#include "manager/http_connections.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string_view>

namespace tavrel {

namespace {

// The status line evhttp writes for a body over the limit; it adds a status line with one
// evbuffer_add_printf, so the line arrives whole in one call-back.
bool IsPayloadTooLarge(std::string_view statusLine) {
  return statusLine.starts_with("HTTP/1.") && statusLine.substr(8).starts_with(" 413 ");
}

}  // namespace

HttpConnections::HttpConnections(std::chrono::milliseconds deadline, size_t maxBodySize,
                                 const DailyLog& log)
    : deadline_(deadline), maxBodySize_(maxBodySize), log_(log) {}

HttpConnections::~HttpConnections() {
  for (const Connection& connection : connections_) Release(connection);
}

bufferevent* HttpConnections::Open(event_base* base) {
  bufferevent* events = bufferevent_socket_new(base, -1, BEV_OPT_CLOSE_ON_FREE);
  if (events == nullptr) return nullptr;
  evbuffer_cb_entry* watch =
      evbuffer_add_cb(bufferevent_get_output(events), &HttpConnections::OnReplyBytes, this);
  if (watch == nullptr) return events;
  try {
    connections_.push_back({events, watch, Clock::now()});
  } catch (const std::bad_alloc&) {
    (void)evbuffer_remove_cb_entry(bufferevent_get_output(events), watch);
    return events;
  }
  bufferevent_incref(events);
  return events;
}

void HttpConnections::RequestArrived(evhttp_request* request) {
  evhttp_connection* connection = evhttp_request_get_connection(request);
  if (connection == nullptr) return;
  bufferevent* events = evhttp_connection_get_bufferevent(connection);
  for (Connection& known : connections_) {
    if (known.events == events) known.lastArrival = Clock::now();
  }
}

size_t HttpConnections::ForgetClosed() {
  std::erase_if(connections_, [](const Connection& connection) {
    if (!IsClosed(connection.events)) return false;
    Release(connection);
    return true;
  });
  return connections_.size();
}

size_t HttpConnections::Sweep(Clock::time_point now) {
  for (const Connection& connection : connections_) {
    if (now - connection.lastArrival < deadline_) continue;
    void* evhttpConnection = CallbackArgument(connection.events);
    if (evhttpConnection != nullptr) {
      evhttp_connection_free(static_cast<evhttp_connection*>(evhttpConnection));
    }
  }
  return ForgetClosed();
}

void* HttpConnections::CallbackArgument(bufferevent* events) {
  bufferevent_data_cb read;
  bufferevent_data_cb write;
  bufferevent_event_cb event;
  void* argument = nullptr;
  bufferevent_getcb(events, &read, &write, &event, &argument);
  return argument;
}

bool HttpConnections::IsClosed(bufferevent* events) { return CallbackArgument(events) == nullptr; }

void HttpConnections::Release(const Connection& connection) {
  // The entry is on that buffer, so its removal cannot fail; whether the decrement freed the
  // bufferevent (evhttp let go of it already) or not (evhttp still holds it) is all the same.
  (void)evbuffer_remove_cb_entry(bufferevent_get_output(connection.events), connection.replyWatch);
  (void)bufferevent_decref(connection.events);
}

void HttpConnections::OnReplyBytes(evbuffer* output, const evbuffer_cb_info* added, void* self) {
  if (added->n_added < 13) return;
  evbuffer_ptr start;
  if (evbuffer_ptr_set(output, &start, added->orig_size, EVBUFFER_PTR_SET) != 0) return;
  char head[13];
  if (evbuffer_copyout_from(output, &start, head, sizeof head) != sizeof head) return;
  if (!IsPayloadTooLarge({head, sizeof head})) return;
  const auto& table = *static_cast<const HttpConnections*>(self);
  char line[96];
  std::snprintf(line, sizeof line, "HTTP请求内容超过%zu字节,已回复413", table.maxBodySize_);
  try {
    table.log_.WriteLogLine(line);
  } catch (const std::bad_alloc&) {
    // The line is lost; the reply goes out all the same.
  }
}

}  // namespace tavrel
