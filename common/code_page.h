// Conversions between 8-bit code pages, UTF-16 and UTF-8.
//
// Code pages are named by their Windows numbers, as the programs' files and settings name
// them. Text inside the programs is in kSystemCodePage (GBK); conversions happen only at the
// edges that need them (files declaring another encoding, the HTTP interface, COM strings).
#pragma once

#include <string>
#include <string_view>

// The one header of platform/ that common/ uses: a dependency-free leaf spelling UTF-16 text.
#include "common/wide_string.h"

namespace tavrel {

inline constexpr unsigned kSystemCodePage = 936;  // GBK
inline constexpr unsigned kUtf8CodePage = 65001;
inline constexpr unsigned kUtf16LeCodePage = 1200;
inline constexpr unsigned kUtf16BeCodePage = 1201;

// True when text in `codePage` can be converted on this machine.
bool IsCodePageConvertible(unsigned codePage);

// Converts `text`, encoded in `codePage`, to UTF-16 in `out`. A byte sequence that is not
// valid in the code page becomes U+FFFD and sets `*lossy`. Returns false, leaving `out`
// empty, when the code page cannot be converted at all.
bool CodePageToUtf16(unsigned codePage, std::string_view text, WideString& out,
                     bool* lossy = nullptr);

// Converts UTF-16 `text` to `codePage` in `out`. A character the code page cannot represent
// (or an unpaired surrogate) becomes "?" and sets `*lossy`. Returns false, leaving `out`
// empty, when the code page cannot be converted at all.
bool Utf16ToCodePage(unsigned codePage, WideStringView text, std::string& out,
                     bool* lossy = nullptr);

// The system code page and UTF-8 at the programs' edges, with the replacements above.
WideString AnsiToWide(std::string_view ansi);
std::string WideToAnsi(WideStringView wide);
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);

}  // namespace tavrel
