// Wide text: the UTF-16 text that COM and OPC DA calls take and return, spelled one way.
//
// Code outside platform/com writes wide characters as WCHAR, strings of them as WideString or
// WideStringView and literals as OLESTR("..."), never the character type behind them. Here
// WCHAR is char16_t (windows_types.h); a build on the Windows SDK, where it is wchar_t, changes
// these lines and nothing else. This header depends on nothing but the standard library and
// windows_types.h, so the text code of common/ spells UTF-16 the same way.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/windows_types.h"

using WideString = std::basic_string<WCHAR>;
using WideStringView = std::basic_string_view<WCHAR>;

// A wide string literal: OLESTR("OPC.Server") is a `const WCHAR[]`.
#define OLESTR(text) u##text
