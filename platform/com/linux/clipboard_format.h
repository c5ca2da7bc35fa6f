// Registered clipboard formats: process-wide numbers for format names.
//
// The same name (compared without regard to ASCII case) always gives the same number, in the
// range 0xC000..0xFFFF; OPC DA 1.0 data streams name their formats this way.
#pragma once

#include "platform/com/linux/windows_types.h"

namespace tavrel {

using CLIPFORMAT = WORD;

// 0 (ERROR_INVALID_PARAMETER) for a null or empty name, or when the range is exhausted.
UINT RegisterClipboardFormatA(LPCSTR name);
UINT RegisterClipboardFormatW(LPCWSTR name);
// Copies the name of a registered format (truncated to `capacity` - 1 characters) and
// returns its length; 0 for a number that was not registered.
int GetClipboardFormatNameA(UINT format, LPSTR name, int capacity);

}  // namespace tavrel
