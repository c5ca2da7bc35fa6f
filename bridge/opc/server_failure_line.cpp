#include "bridge/opc/server_failure_line.h"

#include <cctype>
#include <cstdio>

namespace tavrel {

std::string ServerFailureLine(const ProjectServer& server, std::string_view failure,
                              std::string_view call, HRESULT hr, const EngineLog& log) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
  std::string text = log.FormatOpcError(code, hr);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
  return "Server \"" + server.name + "\" (ProgID \"" + server.progId + "\", node \"" + server.node +
         "\") " + std::string(failure) + ": " + std::string(call) + " returned " + text;
}

}  // namespace tavrel
