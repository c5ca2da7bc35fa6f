#include "opcclient/opc_error_text.h"

#include "common/code_page.h"
#include "common/wide_string.h"

namespace tavrel {

namespace {

constexpr DWORD kMaxMessage = 260;
constexpr LCID kNeutralLocale = 0x800;

// The system's message for `hr`, or none.
std::string SystemMessage(HRESULT hr) {
  char buffer[kMaxMessage] = "";
  const DWORD length =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                     static_cast<DWORD>(hr), 0, buffer, kMaxMessage, nullptr);
  return std::string(buffer, length);
}

std::string ServerMessage(HRESULT hr, IOPCServer& server) {
  LPWSTR text = nullptr;
  if (FAILED(server.GetErrorString(hr, kNeutralLocale, &text)) || text == nullptr) {
    return "OPC Server failed GetErrorString.";
  }
  std::string message = WideToAnsi(WideStringView(text));
  CoTaskMemFree(text);
  return message;
}

}  // namespace

std::string FormatOpcError(std::string_view text, HRESULT hr, IOPCServer* server) {
  std::string message = SystemMessage(hr);
  if (message.empty()) {
    message = server != nullptr ? ServerMessage(hr, *server) : "Unknown Error.";
  }
  return std::string(text) + " " + message;
}

}  // namespace tavrel
