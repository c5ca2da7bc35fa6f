// The connections of the manager's HTTP server, kept where libevent 2.1 cannot keep them.
//
// evhttp neither limits the number of its connections nor tells when one closes, and its time-
// outs count from the last byte read, so a peer that sends one byte now and then holds a
// connection for ever. The server therefore creates every connection's bufferevent here (the
// evhttp_set_bevcb hook) and keeps a reference of its own on it: the connections still open can
// be counted, one that has gone too long without a whole request is closed, and the replies
// that evhttp writes on its own (413 to a body over the limit) are seen and logged.
//
// The bytes read on each connection since its last whole request (a body being received, most
// of them) are counted, and their sum across connections is bounded: the connection whose bytes
// take the sum over the bound stops being read at once, is answered 503 (Service Unavailable)
// and closed, so many peers with large bodies cannot together take the memory that one may.
// Once the sum has been high and falls back, the freed memory is handed back to the system.
//
// A connection is open until evhttp frees it. evhttp makes its evhttp_connection the callback
// argument of the bufferevent and bufferevent_free clears it, so with our reference still
// holding the bufferevent, an empty argument tells that the connection is gone.
//
// All calls come from the server's event loop thread.
#pragma once

#include <event2/buffer.h>
#include <event2/bufferevent.h>
#include <event2/event.h>
#include <event2/http.h>

#include <chrono>
#include <cstddef>
#include <memory>
#include <vector>

#include "common/daily_log.h"

namespace tavrel {

class HttpConnections {
 public:
  using Clock = std::chrono::steady_clock;

  // A connection that has gone `deadline` without a request arriving whole (since it was
  // accepted or since its last request) is closed. A 413 reply is logged to `log`, naming
  // `maxBodySize`. At most `maxBuffered` bytes of requests not yet whole are kept across
  // all connections. `log` must outlive the table.
  HttpConnections(std::chrono::milliseconds deadline, size_t maxBodySize, size_t maxBuffered,
                  const DailyLog& log);
  // Lets go of every bufferevent; the evhttp server must have been freed before.
  ~HttpConnections();
  HttpConnections(const HttpConnections&) = delete;
  HttpConnections& operator=(const HttpConnections&) = delete;

  // The bufferevent for a new connection (no descriptor set yet, as evhttp expects), or null
  // when none can be made, and evhttp makes one of its own that this table does not see.
  bufferevent* Open(event_base* base);
  // `request` has arrived whole: its connection's deadline starts again.
  void RequestArrived(evhttp_request* request);
  // Forgets the connections evhttp has closed; returns how many stay open. Not while evhttp
  // sets up a connection (from Open until the call-back that gave it returns).
  size_t ForgetClosed();
  // Answers 503 and closes the connections that went over the bound of buffered bytes, closes
  // those past their deadline at `now`, then ForgetClosed. Not from inside an evhttp
  // call-back, as it frees evhttp's connections.
  size_t Sweep(Clock::time_point now);
  // The connections open, or closed by evhttp and not yet forgotten.
  size_t size() const { return connections_.size(); }
  // Bytes read on the open connections since their last whole request.
  size_t buffered() const { return buffered_; }

 private:
  struct Connection {
    HttpConnections* table;
    bufferevent* events;
    evbuffer_cb_entry* replyWatch;
    evbuffer_cb_entry* readWatch;
    Clock::time_point lastArrival;
    size_t received = 0;   // bytes read since the last whole request
    bool refused = false;  // over the bound: to be answered 503 and closed
  };

  static void OnReplyBytes(evbuffer* output, const evbuffer_cb_info* added, void* self);
  static void OnReadBytes(evbuffer* input, const evbuffer_cb_info* added, void* connection);
  // Sends the 503 straight to the socket (evhttp is still reading the request) and lets evhttp
  // free the connection.
  static void Refuse(const Connection& connection);
  // The bufferevent's call-back argument: evhttp's connection, or null once evhttp freed it.
  static void* CallbackArgument(bufferevent* events);
  static bool IsClosed(bufferevent* events);
  void Release(const Connection& connection);

  std::chrono::milliseconds deadline_;
  size_t maxBodySize_;
  size_t maxBuffered_;
  const DailyLog& log_;
  // Each at a place of its own: the read call-back holds its address.
  std::vector<std::unique_ptr<Connection>> connections_;
  size_t buffered_ = 0;
  bool trimDue_ = false;  // buffered_ went high: give memory back once it is low again
  bool lowAtLastSweep_ = true;
};

}  // namespace tavrel
