#include "platform/com/linux/code_page_api.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "common/code_page.h"
#include "common/wide_string.h"
#include "platform/com/linux/last_error.h"

namespace tavrel {

namespace {

UINT ResolveCodePage(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ? kSystemCodePage
                                                                                 : codePage;
}

bool IsHighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Replaces unpaired surrogates by U+FFFD; reports whether there were any.
bool ReplaceUnpairedSurrogates(WideString& text) {
  bool replaced = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      text[i] = u'\uFFFD';
      replaced = true;
    }
  }
  return replaced;
}

// Converts one code point at a time so that each unrepresentable one becomes `replacement`.
std::string ConvertWithReplacement(UINT codePage, WideStringView text, std::string_view replacement,
                                   bool* lossy) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    const size_t units =
        IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
    std::string piece;
    bool lost = false;
    Utf16ToCodePage(codePage, text.substr(i, units), piece, &lost);
    if (lost) {
      out.append(replacement);
      *lossy = true;
    } else {
      out.append(piece);
    }
    i += units;
  }
  return out;
}

// Copies `units` into the caller's buffer by Windows' size rules.
template <typename Char>
int Deliver(const std::basic_string<Char>& units, Char* buffer, int capacity) {
  if (capacity == 0) return static_cast<int>(units.size());
  if (units.size() > static_cast<size_t>(capacity)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(units.begin(), units.end(), buffer);
  return static_cast<int>(units.size());
}

int Fail(DWORD error) {
  SetLastError(error);
  return 0;
}

}  // namespace

UINT GetACP() { return kSystemCodePage; }

UINT GetOEMCP() { return kSystemCodePage; }

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH multiByte, int multiByteLength,
                        LPWSTR wide, int wideCapacity) {
  if (multiByte == nullptr || multiByteLength == 0 || multiByteLength < -1 || wideCapacity < 0 ||
      (wide == nullptr && wideCapacity != 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const UINT page = ResolveCodePage(codePage);
  const DWORD allowed =
      page == CP_UTF8 ? MB_ERR_INVALID_CHARS
                      : MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if (flags & ~allowed) return Fail(ERROR_INVALID_FLAGS);
  const size_t length =
      multiByteLength == -1 ? std::strlen(multiByte) + 1 : static_cast<size_t>(multiByteLength);
  WideString converted;
  bool lossy = false;
  if (!CodePageToUtf16(page, std::string_view(multiByte, length), converted, &lossy)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (lossy && (flags & MB_ERR_INVALID_CHARS)) return Fail(ERROR_NO_UNICODE_TRANSLATION);
  return Deliver(converted, wide, wideCapacity);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideLength, LPSTR multiByte,
                        int multiByteCapacity, LPCCH defaultChar, LPBOOL usedDefaultChar) {
  if (wide == nullptr || wideLength == 0 || wideLength < -1 || multiByteCapacity < 0 ||
      (multiByte == nullptr && multiByteCapacity != 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const UINT page = ResolveCodePage(codePage);
  const size_t length = wideLength == -1 ? std::char_traits<WCHAR>::length(wide) + 1
                                         : static_cast<size_t>(wideLength);
  WideString text(wide, length);
  std::string converted;
  if (page == CP_UTF8) {
    if (defaultChar != nullptr || usedDefaultChar != nullptr) {
      return Fail(ERROR_INVALID_PARAMETER);
    }
    if (flags & ~WC_ERR_INVALID_CHARS) return Fail(ERROR_INVALID_FLAGS);
    if (ReplaceUnpairedSurrogates(text) && (flags & WC_ERR_INVALID_CHARS)) {
      return Fail(ERROR_NO_UNICODE_TRANSLATION);
    }
    Utf16ToCodePage(page, text, converted);
  } else {
    if (flags & ~(WC_NO_BEST_FIT_CHARS | WC_COMPOSITECHECK | WC_DEFAULTCHAR)) {
      return Fail(ERROR_INVALID_FLAGS);
    }
    if (!IsCodePageConvertible(page)) return Fail(ERROR_INVALID_PARAMETER);
    bool lossy = false;
    if (defaultChar == nullptr || std::strcmp(defaultChar, "?") == 0) {
      Utf16ToCodePage(page, text, converted, &lossy);
    } else {
      converted = ConvertWithReplacement(page, text, defaultChar, &lossy);
    }
    if (usedDefaultChar != nullptr) *usedDefaultChar = lossy ? TRUE : FALSE;
  }
  return Deliver(converted, multiByte, multiByteCapacity);
}

}  // namespace tavrel
