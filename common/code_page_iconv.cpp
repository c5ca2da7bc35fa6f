// Code page conversions through iconv (Linux).
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <type_traits>

#include "common/code_page.h"

namespace tavrel {

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

// An iconv descriptor opened on first use, so that text that needs none opens none.
class LazyIconv {
 public:
  LazyIconv(std::string to, std::string from) : to_(std::move(to)), from_(std::move(from)) {}
  // The descriptor, or null when iconv offers no such conversion.
  const IconvHandle* Get() {
    if (!handle_) handle_.emplace(to_, from_);
    return handle_->valid() ? &*handle_ : nullptr;
  }

 private:
  const std::string to_;
  const std::string from_;
  std::optional<IconvHandle> handle_;
};

// The code pages met on every hot path. Their text is mostly ASCII, which has the same units
// in them and in UTF-16, so ASCII runs are copied and only the runs between them go through
// iconv, all with one descriptor. A run is cut only where a character ends: in the system
// code page a byte of 0x80 or more starts a character of two bytes whose second byte may be
// below 0x80; in UTF-8 and UTF-16 every unit of a non-ASCII character is 0x80 or more. The
// result is the same as converting the whole text at once: these encodings keep no state
// from one character to the next, and a faulty sequence is skipped the same way.
bool IsAsciiFastPath(unsigned codePage) {
  return codePage == kSystemCodePage || codePage == kUtf8CodePage;
}

// The units a non-ASCII character of a hot-path code page takes at least, from its first.
std::size_t UnitsPerLead(unsigned codePage) { return codePage == kSystemCodePage ? 2 : 1; }

template <typename Unit>
bool IsAsciiUnit(Unit unit) {
  return static_cast<std::make_unsigned_t<Unit>>(unit) < 0x80;
}

// The end of the ASCII run that starts at `at`.
template <typename Unit>
std::size_t AsciiRunEnd(std::basic_string_view<Unit> text, std::size_t at) {
  while (at < text.size() && IsAsciiUnit(text[at])) ++at;
  return at;
}

// The end of the run of non-ASCII characters that starts at `at`, each character taking
// `unitsPerLead` units from a unit of 0x80 or more.
template <typename Unit>
std::size_t OtherRunEnd(std::basic_string_view<Unit> text, std::size_t at,
                        std::size_t unitsPerLead) {
  while (at < text.size() && !IsAsciiUnit(text[at])) at += unitsPerLead;
  return std::min(at, text.size());
}

// Appends `text` to `out`, ASCII runs copied and the other runs given to `convertRun`.
template <typename Unit, typename Out, typename ConvertRun>
bool AppendByRuns(std::basic_string_view<Unit> text, std::size_t unitsPerLead, Out& out,
                  ConvertRun convertRun) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t asciiEnd = AsciiRunEnd(text, at);
    out.append(text.begin() + at, text.begin() + asciiEnd);
    at = asciiEnd;
    if (at == text.size()) break;
    const std::size_t end = OtherRunEnd(text, at, unitsPerLead);
    if (!convertRun(text.substr(at, end - at))) return false;
    at = end;
  }
  return true;
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

// Converts `text` in the code page of `handle` and appends it to `out` as UTF-16.
void AppendAsUtf16(const IconvHandle& handle, std::string_view text, WideString& out, bool& lossy) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  Convert(handle, text, 1, std::string_view("\xFD\xFF", 2), bytes, lossy);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out.push_back(static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
}

// Converts UTF-16 `text` to the code page of `handle` and appends it to `out`.
void AppendFromUtf16(const IconvHandle& handle, WideStringView text, std::string& out,
                     bool& lossy) {
  std::string units;
  units.reserve(text.size() * 2);
  for (WCHAR unit : text) {
    units.push_back(static_cast<char>(unit & 0xFF));
    units.push_back(static_cast<char>(unit >> 8));
  }
  Convert(handle, units, 2, "?", out, lossy);
}

// Converts `text` from code page `from` to code page `to` (both of the hot paths) through
// UTF-16, one non-ASCII run at a time: ASCII has the same bytes in both and is copied.
std::string ConvertByRuns(std::string_view text, unsigned from, unsigned to) {
  std::string out;
  out.reserve(text.size());
  bool lost = false;
  LazyIconv toWide("UTF-16LE", IconvName(from));
  LazyIconv fromWide(IconvName(to), "UTF-16LE");
  WideString wide;
  AppendByRuns(text, UnitsPerLead(from), out, [&](std::string_view run) {
    const IconvHandle* decode = toWide.Get();
    const IconvHandle* encode = fromWide.Get();
    if (decode == nullptr || encode == nullptr) return false;
    wide.clear();
    AppendAsUtf16(*decode, run, wide, lost);
    AppendFromUtf16(*encode, wide, out, lost);
    return true;
  });
  return out;
}

}  // namespace

bool IsCodePageConvertible(unsigned codePage) {
  return IconvHandle("UTF-16LE", IconvName(codePage)).valid();
}

bool CodePageToUtf16(unsigned codePage, std::string_view text, WideString& out, bool* lossy) {
  out.clear();
  out.reserve(text.size());
  bool lost = false;
  LazyIconv decoder("UTF-16LE", IconvName(codePage));
  const auto convertRun = [&](std::string_view run) {
    const IconvHandle* decode = decoder.Get();
    if (decode != nullptr) AppendAsUtf16(*decode, run, out, lost);
    return decode != nullptr;
  };
  const bool converted = IsAsciiFastPath(codePage)
                             ? AppendByRuns(text, UnitsPerLead(codePage), out, convertRun)
                             : convertRun(text);
  if (!converted) return false;
  if (lossy != nullptr) *lossy = lost;
  return true;
}

bool Utf16ToCodePage(unsigned codePage, WideStringView text, std::string& out, bool* lossy) {
  out.clear();
  out.reserve(text.size());
  bool lost = false;
  LazyIconv encoder(IconvName(codePage), "UTF-16LE");
  const auto convertRun = [&](WideStringView run) {
    const IconvHandle* encode = encoder.Get();
    if (encode != nullptr) AppendFromUtf16(*encode, run, out, lost);
    return encode != nullptr;
  };
  const bool converted =
      IsAsciiFastPath(codePage) ? AppendByRuns(text, 1, out, convertRun) : convertRun(text);
  if (!converted) return false;
  if (lossy != nullptr) *lossy = lost;
  return true;
}

std::string AnsiToUtf8(std::string_view ansi) {
  return ConvertByRuns(ansi, kSystemCodePage, kUtf8CodePage);
}

std::string Utf8ToAnsi(std::string_view utf8) {
  return ConvertByRuns(utf8, kUtf8CodePage, kSystemCodePage);
}

}  // namespace tavrel
