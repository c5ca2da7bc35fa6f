// The system message table: FormatMessage texts of the status codes this runtime reports.
//
// The table holds the English texts Windows gives for the HRESULTs of hresult.h and the Win32
// errors of last_error.h (an HRESULT of FACILITY_WIN32 finds its Win32 error's text). Every
// text ends with "\r\n", as on Windows. A code outside the table (the OPC codes among them)
// has no text: FormatMessage returns 0 with ERROR_MR_MID_NOT_FOUND, so that the caller's own
// fall-backs run. The language asked for is not consulted.
//
// Only FORMAT_MESSAGE_FROM_SYSTEM is served. Inserts ("%1") are never expanded, whether or
// not FORMAT_MESSAGE_IGNORE_INSERTS is given. A maximum width in the low byte of the flags
// makes regular line breaks blanks (lines are not re-wrapped).
#pragma once

#include <cstdarg>

#include "platform/com/linux/windows_types.h"

namespace tavrel {

inline constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
inline constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
inline constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
inline constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;

using HLOCAL = void*;

// Writes the text of `messageId` into `buffer` (`size` characters, NUL included) and returns
// its length without the NUL; 0 on failure (GetLastError: ERROR_MR_MID_NOT_FOUND,
// ERROR_INSUFFICIENT_BUFFER, ERROR_INVALID_PARAMETER). With FORMAT_MESSAGE_ALLOCATE_BUFFER,
// `buffer` is really a pointer to a pointer that receives a block to free with LocalFree.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments);
DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, va_list* arguments);
// Frees a block that FormatMessage allocated; returns null.
HLOCAL LocalFree(HLOCAL block);

}  // namespace tavrel
