#include "common/markup_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <system_error>

#include "common/atomic_file.h"
#include "common/code_page.h"
#include "common/encoding_detection.h"
#include "common/encoding_name_table.h"
#include "common/markup_result.h"
#include "common/wide_string.h"

namespace tavrel {

using namespace std::string_view_literals;

namespace {

// How the records name the system code page.
constexpr std::string_view kSystemEncodingName = "GBK";

constexpr unsigned kUtf32LeCodePage = 12000;
constexpr unsigned kUtf32BeCodePage = 12001;

// What the first bytes of a file may say about its encoding without a declaration: a
// byte-order mark (skipped, and written again on saving), or the "<?" of a declaration
// written in 16- or 32-bit units without a mark.
struct Signature {
  std::string_view bytes;
  ByteOrderMark bom;
  size_t markSize;
  unsigned codePage;
  std::string_view encoding;
};

constexpr Signature kSignatures[] = {
    {"\xEF\xBB\xBF"sv, ByteOrderMark::kUtf8, 3, kUtf8CodePage, "UTF-8"},
    {"\xFF\xFE"sv, ByteOrderMark::kUtf16Le, 2, kUtf16LeCodePage, "UTF-16LE"},
    {"\xFE\xFF"sv, ByteOrderMark::kUtf16Be, 2, kUtf16BeCodePage, "UTF-16BE"},
    {"<\0\0\0?\0\0\0"sv, ByteOrderMark::kNone, 0, kUtf32LeCodePage, "UTF-32LE"},
    {"\0\0\0<\0\0\0?"sv, ByteOrderMark::kNone, 0, kUtf32BeCodePage, "UTF-32BE"},
    {"<\0?\0"sv, ByteOrderMark::kNone, 0, kUtf16LeCodePage, "UTF-16LE"},
    {"\0<\0?"sv, ByteOrderMark::kNone, 0, kUtf16BeCodePage, "UTF-16BE"},
};

// The encoding of a file as far as its first bytes tell.
struct FileEncoding {
  ByteOrderMark bom = ByteOrderMark::kNone;
  size_t markSize = 0;
  size_t unitSize = 1;               // 2 or 4 when the first bytes show 16- or 32-bit units
  std::optional<std::string> name;   // from the mark or the declaration; none when undeclared
  std::optional<unsigned> codePage;  // none when undeclared or the name is unknown
};

// Bytes per unit of a code page's text: 2 or 4 for UTF-16 and UTF-32, else 1.
size_t UnitSize(unsigned codePage) {
  switch (codePage) {
    case kUtf16LeCodePage:
    case kUtf16BeCodePage:
      return 2;
    case kUtf32LeCodePage:
    case kUtf32BeCodePage:
    case kUtf32NameCodePage:
      return 4;
    default:
      return 1;
  }
}

bool IsBigEndian(unsigned codePage) {
  return codePage == kUtf16BeCodePage || codePage == kUtf32BeCodePage;
}

FileEncoding ExamineFileStart(std::string_view bytes) {
  for (const Signature& signature : kSignatures) {
    if (bytes.starts_with(signature.bytes)) {
      return {signature.bom, signature.markSize, UnitSize(signature.codePage),
              std::string(signature.encoding), signature.codePage};
    }
  }
  FileEncoding encoding;
  encoding.name = FindDeclaredEncoding(bytes);
  if (encoding.name) encoding.codePage = CodePageOfEncodingName(*encoding.name);
  return encoding;
}

std::string ErrorText(int error) { return std::generic_category().message(error); }

void AppendFileError(std::string& results, const std::string& path, const std::string& error) {
  AppendMarkupResult(results, "file_error", {{"name", path}, {"description", error}});
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Reads the whole file at `path` into `bytes`: one read for the size the file has when it is
// opened, and more while it keeps growing. On failure `error` holds the system's text.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
  bytes.clear();
  const UniqueFile file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = ErrorText(errno);
    return false;
  }
  struct stat status {};
  const size_t expected = ::fstat(::fileno(file.get()), &status) == 0 && S_ISREG(status.st_mode)
                              ? static_cast<size_t>(status.st_size)
                              : 0;
  size_t chunk = expected + 1;  // one byte more, to see the end of the file in the same read
  for (;;) {
    const size_t filled = bytes.size();
    bytes.resize(filled + chunk);
    const size_t got = std::fread(bytes.data() + filled, 1, chunk, file.get());
    bytes.resize(filled + got);
    if (got < chunk) break;
    chunk = 65536;
  }
  if (std::ferror(file.get())) {
    error = ErrorText(errno);
    bytes.clear();
    return false;
  }
  return true;
}

// Converts UTF-16 text to the system code page. `lossy` says whether characters were lost
// before, when the file's bytes were decoded.
std::string ConvertToSystemCodePage(WideStringView wide, bool lossy, std::string& results) {
  std::string text;
  bool lost = false;
  Utf16ToCodePage(kSystemCodePage, wide, text, &lost);
  AppendMarkupResult(
      results, "converted_to",
      {{"encoding", std::string(kSystemEncodingName)}, {"length", std::to_string(text.size())}});
  if (lossy || lost) AppendMarkupResult(results, "conversion_loss");
  return text;
}

// Decodes text in 16- or 32-bit units. A unit cut by the end of the text is dropped, and a
// 32-bit unit that is no Unicode scalar value becomes U+FFFD; both set `lossy`. Unpaired
// surrogates are kept here and lost in the conversion to the system code page.
WideString DecodeUnits(std::string_view bytes, size_t unitSize, bool bigEndian, bool& lossy) {
  const size_t whole = bytes.size() - bytes.size() % unitSize;
  lossy = whole != bytes.size();
  WideString units;
  units.reserve(whole / unitSize);
  for (size_t at = 0; at < whole; at += unitSize) {
    uint32_t value = 0;
    for (size_t i = 0; i < unitSize; ++i) {
      const size_t shift = 8 * (bigEndian ? unitSize - 1 - i : i);
      value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << shift;
    }
    if (unitSize == 2 || value < 0xD800 || (value > 0xDFFF && value < 0x10000)) {
      units.push_back(static_cast<WCHAR>(value));
    } else if (value >= 0x10000 && value <= 0x10FFFF) {
      value -= 0x10000;
      units.push_back(static_cast<WCHAR>(0xD800 + (value >> 10)));
      units.push_back(static_cast<WCHAR>(0xDC00 + (value & 0x3FF)));
    } else {
      units.push_back(OLESTR('\uFFFD'));
      lossy = true;
    }
  }
  return units;
}

std::string ReadWideText(std::string_view body, unsigned codePage, std::string& results) {
  bool lossy = false;
  WideString units = DecodeUnits(body, UnitSize(codePage), IsBigEndian(codePage), lossy);
  if (const size_t nulls = std::erase(units, OLESTR('\0')); nulls > 0) {
    AppendMarkupResult(results, "nulls_removed", {{"count", std::to_string(nulls)}});
  }
  if (IsBigEndian(codePage)) AppendMarkupResult(results, "endian_swap");
  return ConvertToSystemCodePage(units, lossy, results);
}

// `undeclaredBytes` is set when the text is the bytes of an undeclared file that is no UTF-8.
std::string ReadNarrowText(std::string_view body, const FileEncoding& encoding,
                           bool& undeclaredBytes, std::string& results) {
  std::string bytes(body);
  if (const size_t nulls = std::erase(bytes, '\0'); nulls > 0) {
    AppendMarkupResult(results, "nulls_removed", {{"count", std::to_string(nulls)}});
  }
  std::optional<unsigned> codePage = encoding.codePage;
  // A declaration that could be read byte by byte is not in 16- or 32-bit units, whatever it
  // says; such a file is taken as undeclared rather than garbled.
  const bool declared = encoding.name && !(codePage && UnitSize(*codePage) > 1);
  if (!declared) {
    // Without a declaration the text is taken as UTF-8 only when it is well-formed UTF-8, so
    // that text in the system code page is kept rather than damaged.
    const bool utf8 = IsUtf8Text(bytes);
    AppendMarkupResult(results, "utf8_detection", {{"type", utf8 ? "UTF-8" : "none"}});
    undeclaredBytes = !utf8;
    if (!utf8) return bytes;
    codePage = kUtf8CodePage;
  }
  if (!codePage || *codePage == kSystemCodePage) return bytes;
  WideString wide;
  bool lossy = false;
  if (!CodePageToUtf16(*codePage, bytes, wide, &lossy)) return bytes;  // not convertible here
  return ConvertToSystemCodePage(wide, lossy, results);
}

// The mark and the encoding a document is written with.
struct WriteEncoding {
  std::string_view mark;
  std::string name;
};

// Text that was an undeclared file's bytes is written back as those bytes: converting it to
// UTF-8 would change a file that its readers, which take undeclared non-UTF-8 files as the
// system code page, read correctly as it was. Its encoding name is empty (no conversion).
WriteEncoding ChooseWriteEncoding(std::string_view text, const MarkupFileOrigin& origin) {
  for (const Signature& signature : kSignatures) {
    if (origin.bom != ByteOrderMark::kNone && signature.bom == origin.bom) {
      return {signature.bytes, std::string(signature.encoding)};
    }
  }
  return {{}, FindDeclaredEncoding(text).value_or(origin.undeclaredBytes ? "" : "UTF-8")};
}

// Converts text in the system code page to `codePage` in `out`; false when this machine
// cannot convert to that code page, and the text is to be written unchanged.
bool ConvertFromSystemCodePage(std::string_view text, unsigned codePage, std::string& out,
                               std::string& results) {
  WideString wide;
  bool lossyIn = false;
  bool lossyOut = false;
  CodePageToUtf16(kSystemCodePage, text, wide, &lossyIn);
  if (!Utf16ToCodePage(codePage, wide, out, &lossyOut)) return false;
  AppendMarkupResult(
      results, "converted_from",
      {{"encoding", std::string(kSystemEncodingName)}, {"length", std::to_string(text.size())}});
  if (lossyIn || lossyOut) AppendMarkupResult(results, "conversion_loss");
  return true;
}

}  // namespace

bool ReadMarkupFile(const std::string& path, std::string& text, MarkupFileOrigin& origin,
                    std::string& results) {
  text.clear();
  origin = {};
  std::string bytes;
  std::string error;
  if (!ReadWholeFile(path, bytes, error)) {
    AppendFileError(results, path, error);
    return false;
  }
  const FileEncoding encoding = ExamineFileStart(bytes);
  origin.bom = encoding.bom;
  if (origin.bom != ByteOrderMark::kNone) {
    AppendMarkupResult(results, "bom", {{"encoding", *encoding.name}});
  }
  AppendMarkupResult(
      results, "read",
      {{"encoding", encoding.name.value_or("")}, {"length", std::to_string(bytes.size())}});
  const std::string_view body = std::string_view(bytes).substr(encoding.markSize);
  if (encoding.unitSize > 1) {
    text = ReadWideText(body, *encoding.codePage, results);
  } else {
    text = ReadNarrowText(body, encoding, origin.undeclaredBytes, results);
  }
  return true;
}

bool WriteMarkupFile(const std::string& path, std::string_view text, const MarkupFileOrigin& origin,
                     std::string& results) {
  const WriteEncoding encoding = ChooseWriteEncoding(text, origin);
  const std::optional<unsigned> codePage = CodePageOfEncodingName(encoding.name);
  std::string converted;
  std::string_view body = text;
  if (codePage && *codePage != kSystemCodePage &&
      ConvertFromSystemCodePage(text, *codePage, converted, results)) {
    body = converted;
  }
  // A text that would not read back as it is is not written: the reader removes NUL
  // characters, and in some encodings (UTF-7) the declaration itself is no longer ASCII, so
  // that no reader could find the encoding of the file again.
  if (text.find('\0') != std::string_view::npos) {
    AppendFileError(results, path, "the text holds NUL characters");
    return false;
  }
  if (encoding.mark.empty() && FindDeclaredEncoding(text) && !ExamineFileStart(body).name) {
    AppendFileError(results, path,
                    "the declared encoding " + encoding.name + " hides the declaration");
    return false;
  }
  std::string error;
  if (!ReplaceFileAtomically(path, {encoding.mark, body}, error)) {
    AppendFileError(results, path, error);
    return false;
  }
  AppendMarkupResult(results, "write",
                     {{"encoding", encoding.name},
                      {"length", std::to_string(encoding.mark.size() + body.size())}});
  return true;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& result) {
  if (!ReadWholeFile(path, bytes, result)) return false;
  result = path + std::to_string(bytes.size()) + " bytes";
  return true;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& result) {
  result.clear();
  return ReplaceFileAtomically(path, {bytes}, result);
}

}  // namespace tavrel
