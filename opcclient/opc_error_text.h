// FormatOpcError: the text of an OPC or COM status code as the bridge logs it.
//
// The given text, one blank, then the system's message for `hr` (at most 260 characters,
// inserts not expanded). When the system has no message: the server's own text for `hr`
// (IOPCServer::GetErrorString with locale 0x800) when `server` is not null, or "OPC Server
// failed GetErrorString." when that call fails; "Unknown Error." when there is no server.
#pragma once

#include <string>
#include <string_view>

#include "platform/opcda/opcda.h"

namespace tavrel {

std::string FormatOpcError(std::string_view text, HRESULT hr, IOPCServer* server);

}  // namespace tavrel
