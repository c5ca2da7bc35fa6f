// The fundamental Windows data types, with the widths they have on Windows.
//
// The OPC DA client code is written against Windows' type names; here every name has the
// width it has there: DWORD, LONG and ULONG are 32 bits, WCHAR is a UTF-16 code unit.
// WCHAR, wide strings and literals come from common/wide_string.h (wchar_t is 32 bits on
// Linux).
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/wide_string.h"

namespace tavrel {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using CHAR = char;
using UCHAR = unsigned char;
using INT = int;
using UINT = unsigned int;
using FLOAT = float;
using DOUBLE = double;
using SIZE_T = std::size_t;
using BOOL = int;

using LPVOID = void*;
using PVOID = void*;
using LPCVOID = const void*;
using LPBOOL = BOOL*;
using LPDWORD = DWORD*;

using LPSTR = char*;
using LPCSTR = const char*;
using LPCCH = const char*;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPCWCH = const WCHAR*;
using OLECHAR = WCHAR;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

// Windows defines these as macros; code tests them with #ifdef.
#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif

// Locale identifiers. Every locale is served as the invariant one (see VariantChangeTypeEx).
using LCID = DWORD;
inline constexpr LCID LOCALE_NEUTRAL = 0x0000;
inline constexpr LCID LOCALE_INVARIANT = 0x007F;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

}  // namespace tavrel
