// The texts a simulated server gives for status codes (GetErrorString).
//
// OPC codes have texts of the server's own; any other code has the system's message text
// (without its line break). Every locale gets the English texts.
#pragma once

#include <optional>

#include "common/wide_string.h"
#include "platform/com/com_api.h"

namespace tavrel::opcsim {

// Nothing for a code that has no text.
std::optional<WideString> ErrorText(HRESULT error);

}  // namespace tavrel::opcsim
