// Code page conversions through the system's own (Windows): MultiByteToWideChar and
// WideCharToMultiByte, with UTF-16 in either byte order done here, since those calls do not
// take it.
#include <windows.h>

#include <climits>

#include "common/code_page.h"

namespace tavrel {

namespace {

bool IsUtf16(unsigned codePage) {
  return codePage == kUtf16LeCodePage || codePage == kUtf16BeCodePage;
}

// UTF-16 bytes in either order as units; an odd last byte becomes U+FFFD.
void AppendUtf16Bytes(unsigned codePage, std::string_view bytes, WideString& out, bool& lost) {
  const bool bigEndian = codePage == kUtf16BeCodePage;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    out.push_back(static_cast<WCHAR>(bigEndian ? first << 8 | second : second << 8 | first));
  }
  if (bytes.size() % 2 != 0) {
    out.push_back(static_cast<WCHAR>(0xFFFD));
    lost = true;
  }
}

void AppendUtf16Units(unsigned codePage, WideStringView text, std::string& out) {
  const bool bigEndian = codePage == kUtf16BeCodePage;
  for (WCHAR unit : text) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
  }
}

// The calls take lengths as int: longer text is refused (the programs' texts never come near).
bool FitsInt(std::size_t size) { return size <= static_cast<std::size_t>(INT_MAX); }

// Code pages whose conversions take no flags at all (the stateful ISO 2022 forms, ISCII,
// UTF-7): their faults cannot be told apart from their text.
bool TakesNoFlags(unsigned codePage) {
  return (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011) ||
         codePage == 65000 || codePage == 42;
}

// Converts `text` one character at a time: each is the shortest run of bytes that converts
// strictly; a byte that starts none becomes U+FFFD, as the iconv conversions on Linux give it.
void AppendByCharacter(unsigned codePage, std::string_view text, WideString& out) {
  CPINFO info{};
  const int longest = GetCPInfo(codePage, &info) ? static_cast<int>(info.MaxCharSize) : 4;
  WCHAR units[4];
  for (std::size_t at = 0; at < text.size();) {
    int converted = 0;
    int taken = 1;
    for (; taken <= longest && at + taken <= text.size() && converted == 0; ++taken) {
      converted =
          MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data() + at, taken, units, 4);
    }
    if (converted == 0) {
      out.push_back(static_cast<WCHAR>(0xFFFD));
      at += 1;
    } else {
      out.append(units, static_cast<std::size_t>(converted));
      at += static_cast<std::size_t>(taken - 1);
    }
  }
}

}  // namespace

bool IsCodePageConvertible(unsigned codePage) {
  return IsUtf16(codePage) || IsValidCodePage(codePage);
}

bool CodePageToUtf16(unsigned codePage, std::string_view text, WideString& out, bool* lossy) {
  out.clear();
  bool lost = false;
  if (IsUtf16(codePage)) {
    AppendUtf16Bytes(codePage, text, out, lost);
  } else if (!text.empty()) {
    if (!IsValidCodePage(codePage) || !FitsInt(text.size())) return false;
    const int length = static_cast<int>(text.size());
    // A strict pass converts faultless text at once; faulty text goes character by character.
    const DWORD flags = TakesNoFlags(codePage) ? 0 : MB_ERR_INVALID_CHARS;
    const int size = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (size > 0) {
      out.resize(static_cast<std::size_t>(size));
      MultiByteToWideChar(codePage, flags, text.data(), length, out.data(), size);
    } else if (GetLastError() == ERROR_NO_UNICODE_TRANSLATION) {
      lost = true;
      AppendByCharacter(codePage, text, out);
    } else {
      return false;
    }
  } else if (!IsValidCodePage(codePage)) {
    return false;
  }
  if (lossy != nullptr) *lossy = lost;
  return true;
}

bool Utf16ToCodePage(unsigned codePage, WideStringView text, std::string& out, bool* lossy) {
  out.clear();
  bool lost = false;
  if (IsUtf16(codePage)) {
    AppendUtf16Units(codePage, text, out);
  } else if (!text.empty()) {
    if (!IsValidCodePage(codePage) || !FitsInt(text.size())) return false;
    const int length = static_cast<int>(text.size());
    // UTF-8 and the flagless code pages take no default character; UTF-8 loses only unpaired
    // surrogates. The others give "?" for what they cannot represent, never a look-alike
    // ("best fit").
    const bool noDefault = codePage == kUtf8CodePage || TakesNoFlags(codePage);
    BOOL usedDefault = FALSE;
    const auto convert = [&](DWORD flags, char* buffer, int capacity) {
      return WideCharToMultiByte(codePage, flags, text.data(), length, buffer, capacity, nullptr,
                                 noDefault ? nullptr : &usedDefault);
    };
    DWORD flags = codePage == kUtf8CodePage ? WC_ERR_INVALID_CHARS
                  : TakesNoFlags(codePage)  ? 0
                                            : WC_NO_BEST_FIT_CHARS;
    int size = convert(flags, nullptr, 0);
    if (size == 0 && codePage == kUtf8CodePage && GetLastError() == ERROR_NO_UNICODE_TRANSLATION) {
      lost = true;
      flags = 0;
      size = convert(flags, nullptr, 0);
    }
    if (size == 0) return false;
    out.resize(static_cast<std::size_t>(size));
    convert(flags, out.data(), size);
    lost = lost || usedDefault;
  } else if (!IsValidCodePage(codePage)) {
    return false;
  }
  if (lossy != nullptr) *lossy = lost;
  return true;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string utf8;
  Utf16ToCodePage(kUtf8CodePage, AnsiToWide(ansi), utf8);
  return utf8;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  WideString wide;
  CodePageToUtf16(kUtf8CodePage, utf8, wide);
  return WideToAnsi(wide);
}

}  // namespace tavrel
