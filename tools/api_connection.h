// ApiConnection: the client side of the bridge's TCP API, over the same frame layer.
//
// A connection sends request headers (no body) and receives the bridge's frames: replies and,
// after a value snapshot, push frames. Every wait has a time-out; nothing blocks for ever.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "wire/byte_buffer.h"
#include "wire/unique_socket.h"

namespace tavrel {

// One frame from the bridge: its header document's text, the `type` and `flag` of its root,
// and the decoded payload (inflated when the body was compressed).
struct ApiReply {
  std::string header;
  int type = 0;
  int flag = 0;
  std::string payload;
};

enum class ApiReceive { kFrame, kTimeout, kClosed, kBadFrame };

class ApiConnection {
 public:
  // Connects to `host`:`port` (a name or dotted address) within `timeout`; on failure returns
  // none and says why in `error`: the system's text, in the ANSI code page (GBK on a Chinese
  // Windows host) as the program's other texts.
  static std::unique_ptr<ApiConnection> Connect(const std::string& host, int port,
                                                std::chrono::milliseconds timeout,
                                                std::string& error);

  // Sends a frame around `header`; false when the connection failed.
  bool SendRequest(std::string_view header);

  // Waits up to `timeout` for the next complete frame. kBadFrame: a frame whose header or
  // body could not be decoded (it is consumed).
  ApiReceive Receive(ApiReply& reply, std::chrono::milliseconds timeout);

  // After a receive that gave no frame: why the peer is not a bridge's API at all, when what
  // it sent shows it (it answered, but no frame of the API has come on this connection),
  // e.g. "it answered as an HTTP server: \"HTTP/1.1 400 Bad Request\""; empty otherwise.
  std::string NotABridge() const;

 private:
  explicit ApiConnection(UniqueSocket socket) : socket_(std::move(socket)) {}

  ApiReceive TakeBufferedFrame(ApiReply& reply);

  UniqueSocket socket_;
  ByteBuffer received_;
  std::string firstBytes_;  // the first bytes the peer sent, to tell what it is
  bool framed_ = false;     // a frame of the API has come
};

// The header of a request: root with `uid`, `type`, `flag` 0 and, when not negative, `tt`.
std::string RequestHeader(int uid, int type, int tt = -1);

// The header of a write request (type 5): root with a `base` child carrying `write_uid`,
// `handle`, `cmd_type` 0 and `value` (GBK text).
std::string WriteRequestHeader(int writeUid, int handle, std::string_view value);

}  // namespace tavrel
