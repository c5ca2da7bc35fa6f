// The calling thread's last Win32 error code (GetLastError/SetLastError) and the Win32 error
// values the runtime's functions report through it.
#pragma once

#include "platform/com/linux/windows_types.h"

namespace tavrel {

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_INVALID_FUNCTION = 1;
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_ACCESS_DENIED = 5;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr DWORD ERROR_OUTOFMEMORY = 14;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr DWORD ERROR_MORE_DATA = 234;
inline constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;
inline constexpr DWORD ERROR_INVALID_FLAGS = 1004;
inline constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;
// Win32 code, not an HRESULT: DCOM reports an unreachable host as
// HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE), 0x800706BA.
inline constexpr DWORD RPC_S_SERVER_UNAVAILABLE = 1722;

DWORD GetLastError();
void SetLastError(DWORD errorCode);

}  // namespace tavrel
