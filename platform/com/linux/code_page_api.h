// MultiByteToWideChar / WideCharToMultiByte and the system code pages.
//
// The system code page (CP_ACP, CP_OEMCP, CP_THREAD_ACP) is Windows code page 936 (GBK).
// Other code pages are named by their Windows numbers (CP_UTF8, 1252, ...). The calls follow
// Windows' contract: a length of -1 means the text ends at its NUL, which is converted too; an
// output size of 0 asks for the size needed; a result of 0 is a failure whose reason
// GetLastError gives (ERROR_INVALID_PARAMETER, ERROR_INVALID_FLAGS, ERROR_INSUFFICIENT_BUFFER,
// ERROR_NO_UNICODE_TRANSLATION).
#pragma once

#include "platform/com/linux/windows_types.h"

namespace tavrel {

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_OEMCP = 1;
inline constexpr UINT CP_THREAD_ACP = 3;
inline constexpr UINT CP_UTF8 = 65001;

inline constexpr DWORD MB_PRECOMPOSED = 0x01;
inline constexpr DWORD MB_COMPOSITE = 0x02;
inline constexpr DWORD MB_USEGLYPHCHARS = 0x04;
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;

inline constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;
inline constexpr DWORD WC_COMPOSITECHECK = 0x200;
inline constexpr DWORD WC_DEFAULTCHAR = 0x40;
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;

UINT GetACP();
UINT GetOEMCP();

// Bytes that are not valid in the code page become U+FFFD, or fail the call with
// ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteLength,
                        LPWSTR wide, int wideCapacity);
// Characters the code page cannot represent become `defaultChar` ("?" when null) and set
// `*usedDefaultChar`. For UTF-8 both must be null; an unpaired surrogate becomes U+FFFD, or
// fails the call under WC_ERR_INVALID_CHARS.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR multiByte,
                        int multiByteCapacity, LPCCH defaultChar, LPBOOL usedDefaultChar);

}  // namespace tavrel
