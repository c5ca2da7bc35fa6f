#include "common/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>

namespace {

// Code pages whose iconv name is not "CP" followed by the number. The code pages that markup
// files may name and that glibc's iconv lacks (720, 853, most Mac code pages, 20000-20005,
// 20105, 29001, 50221, 50222, 52936, the ISCII pages 57002-57011) are simply not converted.
struct IconvAlias {
  unsigned codePage;
  const char* name;
};

constexpr IconvAlias kIconvAliases[] = {
    {154, "PT154"},
    {708, "ASMO-708"},
    {kUtf16LeCodePage, "UTF-16LE"},
    {kUtf16BeCodePage, "UTF-16BE"},
    {10000, "MACINTOSH"},
    {10007, "MAC-CYRILLIC"},
    {10017, "MAC-UK"},  // Mac Ukrainian
    {10029, "MAC-CENTRALEUROPE"},
    {10079, "MAC-IS"},
    {12000, "UTF-32LE"},
    {12001, "UTF-32BE"},
    {20106, "ISO646-DE"},
    {20107, "ISO646-SE"},
    {20108, "ISO646-NO"},
    {20127, "ASCII"},
    {20261, "T.61-8BIT"},
    {20269, "ISO_6937"},
    {20866, "KOI8-R"},
    {20932, "EUC-JP"},
    {20936, "GB2312"},
    {20949, "EUC-KR"},
    {21866, "KOI8-U"},
    {38598, "ISO-8859-8"},  // the same bytes as 28598, in logical order
    {50220, "ISO-2022-JP"},
    {50225, "ISO-2022-KR"},
    {50227, "ISO-2022-CN"},
    {51932, "EUC-JP-MS"},
    {51936, "EUC-CN"},
    {51949, "EUC-KR"},
    {54936, "GB18030"},
    {65000, "UTF-7"},
    {kUtf8CodePage, "UTF-8"},
    {65005, "UTF-32LE"},  // what an encoding name beginning with "UTF-32" stands for
};

// The iconv name of a Windows code page number.
std::string IconvName(unsigned codePage) {
  for (const IconvAlias& alias : kIconvAliases) {
    if (alias.codePage == codePage) return alias.name;
  }
  if (codePage >= 28591 && codePage <= 28605) {
    return "ISO-8859-" + std::to_string(codePage - 28590);
  }
  return "CP" + std::to_string(codePage);
}

// Owns one iconv conversion descriptor.
class IconvHandle {
 public:
  IconvHandle(const std::string& to, const std::string& from)
      : handle_(iconv_open(to.c_str(), from.c_str())) {}
  ~IconvHandle() {
    if (valid()) iconv_close(handle_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_;
};

// The code pages met on every hot path; ASCII text has the same bytes in both, so it needs
// no conversion.
bool IsAsciiFastPath(unsigned codePage) {
  return codePage == kSystemCodePage || codePage == kUtf8CodePage;
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsAscii(std::u16string_view text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}

// Runs `handle` over `in`, appending to `out`. An input unit that cannot be converted is
// skipped (`skipBytes` at a time) and `replacement` is appended in its place.
void Convert(const IconvHandle& handle, std::string_view in, size_t skipBytes,
             std::string_view replacement, std::string& out, bool& lossy) {
  char* inPtr = const_cast<char*>(in.data());
  size_t inLeft = in.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t converted = iconv(handle.get(), &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (converted != static_cast<size_t>(-1)) {
      if (converted > 0) lossy = true;  // irreversible conversions
      continue;
    }
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (a sequence cut by the end of the input): replace one unit.
    lossy = true;
    out.append(replacement);
    const size_t skip = std::min(skipBytes, inLeft);
    inPtr += skip;
    inLeft -= skip;
  }
  // Stateful encodings (ISO-2022-*, UTF-7) end with a return to their initial state.
  char* outPtr = buffer;
  size_t outLeft = sizeof buffer;
  iconv(handle.get(), nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer, static_cast<size_t>(outPtr - buffer));
}

}  // namespace

bool IsCodePageConvertible(unsigned codePage) {
  return IconvHandle("UTF-16LE", IconvName(codePage)).valid();
}

bool CodePageToUtf16(unsigned codePage, std::string_view text, std::u16string& out, bool* lossy) {
  out.clear();
  bool lost = false;
  if (IsAsciiFastPath(codePage) && IsAscii(text)) {
    out.assign(text.begin(), text.end());
  } else {
    const IconvHandle handle("UTF-16LE", IconvName(codePage));
    if (!handle.valid()) return false;
    std::string bytes;
    bytes.reserve(text.size() * 2);
    Convert(handle, text, 1, std::string_view("\xFD\xFF", 2), bytes, lost);
    out.resize(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
      out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
  }
  if (lossy != nullptr) *lossy = lost;
  return true;
}

bool Utf16ToCodePage(unsigned codePage, std::u16string_view text, std::string& out, bool* lossy) {
  out.clear();
  bool lost = false;
  if (IsAsciiFastPath(codePage) && IsAscii(text)) {
    out.assign(text.begin(), text.end());
  } else {
    const IconvHandle handle(IconvName(codePage), "UTF-16LE");
    if (!handle.valid()) return false;
    std::string units;
    units.reserve(text.size() * 2);
    for (char16_t unit : text) {
      units.push_back(static_cast<char>(unit & 0xFF));
      units.push_back(static_cast<char>(unit >> 8));
    }
    Convert(handle, units, 2, "?", out, lost);
  }
  if (lossy != nullptr) *lossy = lost;
  return true;
}

std::u16string AnsiToWide(std::string_view ansi) {
  std::u16string wide;
  CodePageToUtf16(kSystemCodePage, ansi, wide);
  return wide;
}

std::string WideToAnsi(std::u16string_view wide) {
  std::string ansi;
  Utf16ToCodePage(kSystemCodePage, wide, ansi);
  return ansi;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string utf8;
  Utf16ToCodePage(kUtf8CodePage, AnsiToWide(ansi), utf8);
  return utf8;
}

std::string Utf8ToAnsi(std::string_view utf8) {
  std::u16string wide;
  CodePageToUtf16(kUtf8CodePage, utf8, wide);
  return WideToAnsi(wide);
}
