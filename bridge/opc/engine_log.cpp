#include "bridge/opc/engine_log.h"

#include "opcclient/opc_error_text.h"

std::string EngineLog::FormatOpcError(std::string_view text, HRESULT hr) const {
  const ComPtr<IOPCServer> server = session_.Server();
  return ::FormatOpcError(text, hr, server.Get());
}
