#include "tools/api_connection.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "platform/net/socket_api.h"
#include "wire/api_frame.h"
#include "wire/frame_codec.h"

namespace tavrel {

namespace {

// Enough of a peer's first bytes for the first line of an HTTP answer.
constexpr size_t kFirstBytesKept = 64;

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// A send or receive that failed so is tried again.
bool Retried(int error) { return error == kSocketWouldBlock || error == kSocketInterrupted; }

// Connects one resolved address without blocking past `deadline`.
UniqueSocket ConnectAddress(const addrinfo& address, Clock::time_point deadline,
                            std::string& error) {
  UniqueSocket socket(OpenSocket(address.ai_family, address.ai_socktype, address.ai_protocol));
  if (!socket.valid() || !SetNonBlocking(socket.get())) {
    error = SocketErrorText(LastSocketError());
    return {};
  }
  const int failure =
      ConnectWithin(socket.get(), address.ai_addr, static_cast<socklen_t>(address.ai_addrlen),
                    RemainingMs(deadline));
  if (failure != 0) {
    error = failure == kSocketTimedOut ? "connection timed out" : SocketErrorText(failure);
    return {};
  }
  return socket;
}

}  // namespace

std::unique_ptr<ApiConnection> ApiConnection::Connect(const std::string& host, int port,
                                                      std::chrono::milliseconds timeout,
                                                      std::string& error) {
  const Clock::time_point deadline = Clock::now() + timeout;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int resolved = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (resolved != 0) {
    error = ResolveErrorText(resolved);
    return nullptr;
  }
  const std::unique_ptr<addrinfo, void (*)(addrinfo*)> addresses(found, freeaddrinfo);
  for (const addrinfo* address = found; address != nullptr; address = address->ai_next) {
    UniqueSocket socket = ConnectAddress(*address, deadline, error);
    if (socket.valid()) return std::unique_ptr<ApiConnection>(new ApiConnection(std::move(socket)));
  }
  return nullptr;
}

bool ApiConnection::SendRequest(std::string_view header) {
  ByteBuffer frame;
  if (BuildFrame(header, {}, kBodyNone, frame) != FrameBuild::kBuilt) return false;
  size_t sent = 0;
  while (sent < frame.Length()) {
    pollfd writable{socket_.get(), POLLOUT, 0};
    if (PollSockets(&writable, 1, 5000) <= 0) return false;
    const std::ptrdiff_t n =
        SendSome(socket_.get(), frame.At(static_cast<ptrdiff_t>(sent)), frame.Length() - sent);
    if (n < 0 && !Retried(LastSocketError())) return false;
    if (n > 0) sent += static_cast<size_t>(n);
  }
  return true;
}

ApiReceive ApiConnection::TakeBufferedFrame(ApiReply& reply) {
  FrameScan scan;
  while ((scan = ScanFrame(received_)) == FrameScan::kDiscarded) {
  }
  if (scan == FrameScan::kNeedMore) return ApiReceive::kTimeout;
  // The views of `parts` stay valid until TakeFrame removes the frame, after the dispatch.
  const std::optional<FrameParts> parts = FrameAtFront(received_);
  bool decoded = false;
  TakeFrame(received_, [&](MarkupDocument& header) {
    if (!header.FindElement("root")) return;
    reply.header.assign(parts->header);
    reply.type = std::atoi(header.GetAttribute("type").c_str());
    reply.flag = std::atoi(header.GetAttribute("flag").c_str());
    decoded = DecodeFrameBody(reply.flag, parts->body, reply.payload);
  });
  framed_ = framed_ || decoded;
  return decoded ? ApiReceive::kFrame : ApiReceive::kBadFrame;
}

std::string ApiConnection::NotABridge() const {
  if (framed_ || firstBytes_.empty()) return {};
  if (firstBytes_.starts_with("HTTP/")) {
    return "it answered as an HTTP server: \"" + firstBytes_.substr(0, firstBytes_.find('\r')) +
           "\"";
  }
  return "what it sent is no frame of the API";
}

ApiReceive ApiConnection::Receive(ApiReply& reply, std::chrono::milliseconds timeout) {
  const Clock::time_point deadline = Clock::now() + timeout;
  while (true) {
    const ApiReceive buffered = TakeBufferedFrame(reply);
    if (buffered != ApiReceive::kTimeout) return buffered;
    pollfd readable{socket_.get(), POLLIN, 0};
    if (PollSockets(&readable, 1, RemainingMs(deadline)) <= 0) return ApiReceive::kTimeout;
    received_.Reserve(65536);
    const std::ptrdiff_t n = ReceiveSome(socket_.get(), received_.End(), received_.FreeSpace());
    if (n == 0 || (n < 0 && !Retried(LastSocketError()))) return ApiReceive::kClosed;
    if (n > 0) {
      if (firstBytes_.size() < kFirstBytesKept) {
        firstBytes_.append(reinterpret_cast<const char*>(received_.End()),
                           std::min(static_cast<size_t>(n), kFirstBytesKept - firstBytes_.size()));
      }
      received_.SetLength(received_.Length() + static_cast<size_t>(n));
    }
  }
}

std::string RequestHeader(int uid, int type, int tt) {
  MarkupDocument header(MarkupBuild::kBridge);
  header.SetText(kGbkDeclaration);
  header.AddElement("root");
  header.SetAttribute("uid", uid);
  header.SetAttribute("type", type);
  header.SetAttribute("flag", 0);
  if (tt >= 0) header.SetAttribute("tt", tt);
  return header.GetText();
}

std::string WriteRequestHeader(int writeUid, int handle, std::string_view value) {
  MarkupDocument request(MarkupBuild::kBridge);
  request.SetText(RequestHeader(0, 5));
  request.FindElement("root");
  request.EnterElement();
  request.AddElement("base");
  request.SetAttribute("write_uid", writeUid);
  request.SetAttribute("handle", handle);
  request.SetAttribute("cmd_type", 0);
  request.SetAttribute("value", value);
  return request.GetText();
}

}  // namespace tavrel
