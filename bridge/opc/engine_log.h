// EngineLog: the log lines of one connection, with the texts of OPC error codes.
//
// Every line goes to the bridge log at level 0. An error code's text falls back to the
// server's own text while the session holds the server (opc_error_text.h).
#pragma once

#include <string>
#include <string_view>

#include "bridge/opc/server_session.h"
#include "common/bridge_log.h"

namespace tavrel {

class EngineLog {
 public:
  EngineLog(BridgeLog& log, const ServerSession& session) : log_(log), session_(session) {}

  void Log(const std::string& text) const { log_.LogMessage(text, 0); }
  std::string FormatOpcError(std::string_view text, HRESULT hr) const;
  void LogOpcError(std::string_view text, HRESULT hr) const { Log(FormatOpcError(text, hr)); }

 private:
  BridgeLog& log_;
  const ServerSession& session_;
};

}  // namespace tavrel
