#include "manager/configuration_interface.h"

#include <event2/buffer.h>

#include <new>
#include <utility>

#include "common/code_page.h"

namespace tavrel {

namespace {

// libevent reports an allocation failure by its result; it is thrown as one, which the server
// answers 500 as long as nothing has been sent.
void Check(bool succeeded) {
  if (!succeeded) throw std::bad_alloc();
}

std::string_view RequestBody(evhttp_request* request) {
  evbuffer* input = evhttp_request_get_input_buffer(request);
  const size_t length = evbuffer_get_length(input);
  if (length == 0) return {};
  const unsigned char* body = evbuffer_pullup(input, -1);
  Check(body != nullptr);
  return {reinterpret_cast<const char*>(body), length};
}

void Reply(evhttp_request* request, const HttpAnswer& answer) {
  switch (answer.kind) {
    case ReplyKind::kJson:
      SendJsonReply(request, answer.body);
      return;
    case ReplyKind::kNotFound:
      evhttp_send_reply(request, HTTP_NOTFOUND, "Not Found", nullptr);
      return;
    case ReplyKind::kMethodNotAllowed:
      Check(evhttp_add_header(evhttp_request_get_output_headers(request), "Allow", "POST") == 0);
      evhttp_send_reply(request, HTTP_BADMETHOD, "Method Not Allowed", nullptr);
      return;
  }
}

}  // namespace

void SendJsonReply(evhttp_request* request, std::string_view text) {
  const std::string utf8 = AnsiToUtf8(text);
  Check(evhttp_add_header(evhttp_request_get_output_headers(request), "Content-Type",
                          "application/json; charset=UTF-8") == 0);
  Check(evbuffer_add(evhttp_request_get_output_buffer(request), utf8.data(), utf8.size()) == 0);
  evhttp_send_reply(request, HTTP_OK, "OK", nullptr);
}

ConfigurationInterface::ConfigurationInterface(std::string programDirectory, const DailyLog& log,
                                               const BridgeControl& bridge)
    : routes_(std::move(programDirectory)), log_(log), bridge_(bridge) {}

void ConfigurationInterface::HandleHttpRequest(evhttp_request* request) const {
  const char* uri = evhttp_request_get_uri(request);
  const HttpAnswer answer = routes_.Answer(evhttp_request_get_command(request),
                                           uri != nullptr ? uri : "", RequestBody(request));
  Reply(request, answer);
  AfterReply(answer);
}

void ConfigurationInterface::AfterReply(const HttpAnswer& answer) const noexcept {
  try {
    if (!answer.logLine.empty()) log_.WriteLogLine(answer.logLine);
  } catch (const std::bad_alloc&) {
    // The line is lost; the bridge is restarted all the same.
  }
  try {
    if (answer.restartBridge) {
      bridge_.StopBridge();
      bridge_.StartBridge();
    }
  } catch (const std::bad_alloc&) {
    // The watchdog starts a bridge that is missing.
  }
}

}  // namespace tavrel
