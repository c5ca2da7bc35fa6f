// The HTTP configuration interface: the request handler of the manager's HTTP server.
//
// Each request is answered first; then its log line, if any, goes to the daily log; then,
// after a stored project, the bridge is restarted (StopBridge, which waits for the old bridge
// to end, then StartBridge) on the server's thread, so no other request is served meanwhile.
//
// An allocation failure (libevent's included) before the reply is thrown to the server, which
// answers 500; one after it costs only the log line or the restart it interrupts, as the
// request may no longer exist.
#pragma once

#include <event2/http.h>

#include <string>
#include <string_view>

#include "common/daily_log.h"
#include "manager/bridge_control.h"
#include "manager/configuration_routes.h"

namespace tavrel {

// Sends `text` (system code page) converted to UTF-8, with status 200 "OK" and the header
// "Content-Type: application/json; charset=UTF-8". The body carries no terminating NUL. Throws
// std::bad_alloc, having sent nothing, when the reply cannot be made.
void SendJsonReply(evhttp_request* request, std::string_view text);

class ConfigurationInterface {
 public:
  // Serves the files of `programDirectory`. `log` and `bridge` must outlive the interface.
  ConfigurationInterface(std::string programDirectory, const DailyLog& log,
                         const BridgeControl& bridge);

  // Answers `request` exactly once, then logs and restarts the bridge as the route asks.
  void HandleHttpRequest(evhttp_request* request) const;

 private:
  // The log line and the bridge restart, after the reply.
  void AfterReply(const HttpAnswer& answer) const noexcept;

  ConfigurationRoutes routes_;
  const DailyLog& log_;
  const BridgeControl& bridge_;
};

}  // namespace tavrel
