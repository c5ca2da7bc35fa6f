#include "bridge/opc/engine_log.h"

#include "opcclient/opc_error_text.h"

namespace tavrel {

std::string EngineLog::FormatOpcError(std::string_view text, HRESULT hr) const {
  const ComPtr<IOPCServer> server = session_.Server();
  return tavrel::FormatOpcError(text, hr, server.Get());
}

}  // namespace tavrel
