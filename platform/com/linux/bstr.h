// BSTR: the length-prefixed UTF-16 string of COM.
//
// A BSTR points at the first character; the 4 bytes before it hold the length in bytes, and
// a NUL follows the last character (the string may contain NULs of its own). A null BSTR is
// the empty string. BSTRs are allocated and freed only through the Sys* functions.
#pragma once

#include <cstddef>

#include "common/wide_string.h"
#include "platform/com/linux/windows_types.h"

namespace tavrel {

using BSTR = OLECHAR*;

// A copy of the NUL-terminated `text`; null `text` gives null.
BSTR SysAllocString(const OLECHAR* text);
// A string of `length` characters copied from `text`, or zero-filled when `text` is null.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// A string of `length` bytes copied from `bytes` (or zero-filled), followed by a wide NUL.
BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length);
// Replaces `*string` by a copy of `text` (freeing the old one); FALSE when out of memory.
INT SysReAllocString(BSTR* string, const OLECHAR* text);
INT SysReAllocStringLen(BSTR* string, const OLECHAR* text, UINT length);
// Frees a string from the functions above; null is ignored.
void SysFreeString(BSTR string);
// Length in characters and in bytes; 0 for null.
UINT SysStringLen(BSTR string);
UINT SysStringByteLen(BSTR string);

}  // namespace tavrel
