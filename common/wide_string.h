// Wide text: the UTF-16 text that COM and OPC DA calls take and return, spelled one way.
//
// Code outside this header writes wide characters as WCHAR, strings of them as WideString or
// WideStringView and literals as OLESTR("..."), never the character type behind them. Here
// WCHAR is char16_t; a build on the Windows SDK, where it is wchar_t, changes these lines and
// nothing else. The header lives in common/ and depends on nothing but the standard library,
// so that common's text code and platform/com's Windows types (windows_types.h takes WCHAR from
// here) spell UTF-16 the same way.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

using WCHAR = char16_t;
using WideString = std::basic_string<WCHAR>;
using WideStringView = std::basic_string_view<WCHAR>;

// A wide string literal: OLESTR("OPC.Server") is a `const WCHAR[]`.
#define OLESTR(text) u##text

}  // namespace tavrel
