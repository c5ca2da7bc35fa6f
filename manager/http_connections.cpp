#include "manager/http_connections.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string_view>

#include "manager/manager_platform.h"
#include "platform/net/socket_api.h"

namespace tavrel {

namespace {

// The status line evhttp writes for a body over the limit; it adds a status line with one
// evbuffer_add_printf, so the line arrives whole in one call-back.
bool IsPayloadTooLarge(std::string_view statusLine) {
  return statusLine.starts_with("HTTP/1.") && statusLine.substr(8).starts_with(" 413 ");
}

}  // namespace

HttpConnections::HttpConnections(std::chrono::milliseconds deadline, size_t maxBodySize,
                                 size_t maxBuffered, const DailyLog& log)
    : deadline_(deadline), maxBodySize_(maxBodySize), maxBuffered_(maxBuffered), log_(log) {}

HttpConnections::~HttpConnections() {
  for (const auto& connection : connections_) Release(*connection);
}

bufferevent* HttpConnections::Open(event_base* base) {
  bufferevent* events = bufferevent_socket_new(base, -1, BEV_OPT_CLOSE_ON_FREE);
  if (events == nullptr) return nullptr;
  std::unique_ptr<Connection> connection;
  try {
    connection =
        std::make_unique<Connection>(Connection{this, events, nullptr, nullptr, Clock::now()});
    connections_.reserve(connections_.size() + 1);
  } catch (const std::bad_alloc&) {
    return events;
  }
  bufferevent_incref(events);
  connection->replyWatch =
      evbuffer_add_cb(bufferevent_get_output(events), &HttpConnections::OnReplyBytes, this);
  connection->readWatch = evbuffer_add_cb(bufferevent_get_input(events),
                                          &HttpConnections::OnReadBytes, connection.get());
  if (connection->replyWatch == nullptr || connection->readWatch == nullptr) {
    Release(*connection);
    return events;
  }
  connections_.push_back(std::move(connection));
  return events;
}

void HttpConnections::RequestArrived(evhttp_request* request) {
  evhttp_connection* connection = evhttp_request_get_connection(request);
  if (connection == nullptr) return;
  bufferevent* events = evhttp_connection_get_bufferevent(connection);
  for (const auto& known : connections_) {
    if (known->events != events) continue;
    known->lastArrival = Clock::now();
    buffered_ -= known->received;
    known->received = 0;
  }
}

size_t HttpConnections::ForgetClosed() {
  std::erase_if(connections_, [this](const std::unique_ptr<Connection>& connection) {
    if (!IsClosed(connection->events)) return false;
    buffered_ -= connection->received;
    Release(*connection);
    return true;
  });
  return connections_.size();
}

size_t HttpConnections::Sweep(Clock::time_point now) {
  for (const auto& connection : connections_) {
    void* evhttpConnection = CallbackArgument(connection->events);
    if (evhttpConnection == nullptr) continue;
    if (connection->refused) {
      Refuse(*connection);
    } else if (now - connection->lastArrival < deadline_) {
      continue;
    }
    evhttp_connection_free(static_cast<evhttp_connection*>(evhttpConnection));
  }
  const size_t open = ForgetClosed();
  // libevent frees a closed connection's buffers in a later turn of its loop, so the memory is
  // free by the sweep after the one that found the bytes low.
  const bool low = buffered_ < maxBuffered_ / 4;
  if (trimDue_ && low && lowAtLastSweep_) {
    // The bodies came in small pieces that the allocator keeps in its heap after they are
    // freed; without this the peak stays taken after the peers have gone.
    ReleaseFreeHeapMemory();
    trimDue_ = false;
  }
  lowAtLastSweep_ = low;
  return open;
}

void HttpConnections::OnReadBytes(evbuffer*, const evbuffer_cb_info* added, void* self) {
  auto& connection = *static_cast<Connection*>(self);
  HttpConnections& table = *connection.table;
  if (added->n_added == 0 || connection.refused) return;
  connection.received += added->n_added;
  table.buffered_ += added->n_added;
  if (table.buffered_ >= table.maxBuffered_ / 2) table.trimDue_ = true;
  if (table.buffered_ <= table.maxBuffered_) return;
  // What this connection holds goes with it; nothing more is read from it meanwhile.
  connection.refused = true;
  (void)bufferevent_disable(connection.events, EV_READ);
}

void HttpConnections::Refuse(const Connection& connection) {
  static constexpr char kReply[] =
      "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  const evutil_socket_t socket = bufferevent_getfd(connection.events);
  if (socket < 0) return;
  // Small enough for any socket buffer; a peer that does not read it loses it with the close.
  // The socket does not block (evhttp made it so).
  (void)SendSome(static_cast<SocketHandle>(socket), kReply, sizeof kReply - 1);
  (void)shutdown(static_cast<SocketHandle>(socket), kShutdownSend);
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
  // The entries are on those buffers, so their removal cannot fail; whether the decrement freed
  // the bufferevent (evhttp let go of it already) or not (evhttp still holds it) is all the
  // same.
  if (connection.replyWatch != nullptr) {
    (void)evbuffer_remove_cb_entry(bufferevent_get_output(connection.events),
                                   connection.replyWatch);
  }
  if (connection.readWatch != nullptr) {
    (void)evbuffer_remove_cb_entry(bufferevent_get_input(connection.events), connection.readWatch);
  }
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
