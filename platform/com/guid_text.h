// The registry form of a GUID as text: 38 characters, hexadecimal groups 8-4-4-4-12 in braces,
// "{13486D51-4821-11D2-A494-3CB306C10000}". It is written in upper case; either case is read.
#pragma once

#include <string>
#include <string_view>

#include "common/wide_string.h"
#include "platform/com/com_api.h"

namespace tavrel {

// Number of characters of the registry form, without and with the terminating NUL.
inline constexpr int kGuidStringLength = 38;
inline constexpr int kGuidStringSize = kGuidStringLength + 1;

// The registry form as narrow text.
std::string GuidToString(const GUID& guid);
// Reads the registry form from narrow or wide text; false (and `*guid` untouched) when the
// text is not exactly that form.
bool ParseGuid(std::string_view text, GUID* guid);
bool ParseGuid(WideStringView text, GUID* guid);

}  // namespace tavrel
