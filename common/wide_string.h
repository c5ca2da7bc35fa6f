// Wide text: the UTF-16 text that COM and OPC DA calls take and return, spelled one way.
//
// Code outside this header writes wide characters as WCHAR, strings of them as WideString or
// WideStringView and literals as OLESTR("..."), never the character type behind them: char16_t
// on Linux, wchar_t (16 bits there) on Windows, whose SDK defines WCHAR and OLESTR alike. The
// header lives in common/ and depends on nothing but the standard library, so that common's
// text code and platform/com's Windows types spell UTF-16 the same way.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

#ifdef _WIN32
using WCHAR = wchar_t;
#ifndef OLESTR
#define OLESTR(text) L##text
#endif
#else
using WCHAR = char16_t;
// A wide string literal: OLESTR("OPC.Server") is a `const WCHAR[]`.
#define OLESTR(text) u##text
#endif
using WideString = std::basic_string<WCHAR>;
using WideStringView = std::basic_string_view<WCHAR>;

}  // namespace tavrel
