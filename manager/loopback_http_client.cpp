#include "manager/loopback_http_client.h"

#include <algorithm>
#include <cctype>

#include "common/decimal_text.h"
#include "platform/net/socket_api.h"

namespace tavrel {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Parses the status line and the header lines of `head` (without the blank line).
std::optional<HttpReply> ParseHead(std::string_view head) {
  HttpReply reply;
  size_t lineEnd = head.find("\r\n");
  const std::string_view statusLine = head.substr(0, lineEnd);
  if (!statusLine.starts_with("HTTP/1.") || statusLine.size() < 12) return std::nullopt;
  reply.status = ParseDecimal(statusLine.substr(9));
  while (lineEnd != std::string_view::npos) {
    const size_t start = lineEnd + 2;
    lineEnd = head.find("\r\n", start);
    const std::string_view line = head.substr(start, lineEnd - start);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    reply.headers[Lower(line.substr(0, colon))] = std::string(Trim(line.substr(colon + 1)));
  }
  return reply;
}

}  // namespace

LoopbackHttpClient::LoopbackHttpClient(std::uint16_t port, std::chrono::milliseconds timeout)
    : timeout_(timeout) {
  const SocketHandle socket = OpenSocket(AF_INET, SOCK_STREAM, 0);
  if (socket == kInvalidSocket) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    CloseSocket(socket);
    return;
  }
  SetSocketOption(socket, IPPROTO_TCP, TCP_NODELAY, 1);
  socket_ = socket;
}

LoopbackHttpClient::~LoopbackHttpClient() { CloseSocket(socket_); }

bool LoopbackHttpClient::WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const std::ptrdiff_t written = SendSome(socket_, bytes.data(), bytes.size());
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return true;
}

bool LoopbackHttpClient::ReadMore() {
  pollfd readable{socket_, POLLIN, 0};
  if (PollSockets(&readable, 1, static_cast<int>(timeout_.count())) != 1) return false;
  char chunk[65536];
  const std::ptrdiff_t received = ReceiveSome(socket_, chunk, sizeof chunk);
  if (received <= 0) return false;
  buffer_.append(chunk, static_cast<size_t>(received));
  return true;
}

std::optional<HttpReply> LoopbackHttpClient::Send(std::string_view method, std::string_view target,
                                                  std::string_view body) {
  if (socket_ == kInvalidSocket) return std::nullopt;
  std::string request(method);
  request += ' ';
  request += target;
  request += " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: ";
  request += std::to_string(body.size());
  request += "\r\n\r\n";
  request += body;
  if (!WriteAll(request)) return std::nullopt;

  size_t headEnd;
  while ((headEnd = buffer_.find("\r\n\r\n")) == std::string::npos) {
    if (!ReadMore()) return std::nullopt;
  }
  std::optional<HttpReply> reply = ParseHead(std::string_view(buffer_).substr(0, headEnd));
  if (!reply) return std::nullopt;
  // A reply to HEAD has no body, whatever its Content-Length says.
  const auto length = reply->headers.find("content-length");
  const size_t bodyLength = method == "HEAD" || length == reply->headers.end()
                                ? 0
                                : static_cast<size_t>(std::max(0, ParseDecimal(length->second)));
  const size_t bodyStart = headEnd + 4;
  while (buffer_.size() < bodyStart + bodyLength) {
    if (!ReadMore()) return std::nullopt;
  }
  reply->body = buffer_.substr(bodyStart, bodyLength);
  buffer_.erase(0, bodyStart + bodyLength);
  return reply;
}

}  // namespace tavrel
