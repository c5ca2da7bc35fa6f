// A minimal HTTP/1.1 client over one kept-alive loopback connection, for tests and the load
// program: it sends a request and reads the reply that the Content-Length header bounds.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/net/socket_api.h"

namespace tavrel {

struct HttpReply {
  int status = 0;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;
};

class LoopbackHttpClient {
 public:
  // Connects to 127.0.0.1:`port`; connected() tells whether it worked. A reply that takes
  // longer than `timeout` counts as none.
  explicit LoopbackHttpClient(std::uint16_t port,
                              std::chrono::milliseconds timeout = std::chrono::seconds(10));
  ~LoopbackHttpClient();
  LoopbackHttpClient(const LoopbackHttpClient&) = delete;
  LoopbackHttpClient& operator=(const LoopbackHttpClient&) = delete;

  bool connected() const { return socket_ != kInvalidSocket; }

  // Sends `method` `target` with `body` (and a Content-Length) and reads the reply. Nothing
  // when the connection fails, the reply is malformed, or none comes within the time-out.
  std::optional<HttpReply> Send(std::string_view method, std::string_view target,
                                std::string_view body = {});
  std::optional<HttpReply> Post(std::string_view target, std::string_view body = {}) {
    return Send("POST", target, body);
  }

 private:
  bool WriteAll(std::string_view bytes);
  // Reads more bytes into buffer_; false at the end of the stream, an error or the time-out.
  bool ReadMore();

  SocketHandle socket_ = kInvalidSocket;
  std::chrono::milliseconds timeout_;
  std::string buffer_;  // received bytes not yet taken by a reply
};

}  // namespace tavrel
