// Reading and writing the files behind a MarkupDocument.
//
// The full build reads a file in whatever encoding it carries (byte-order mark, declared
// encoding, or UTF-8 detection) and converts it to the system code page; it writes the text
// back in the encoding that the mark or the declaration names. The bridge build reads and
// writes bytes unchanged. Both replace a file atomically on writing: the text goes to a
// temporary file in the same directory, which is flushed and then renamed over the old one,
// so a failed or interrupted save leaves the previous file whole.
//
// Diagnostics are appended to `results` as records of the markup result list
// (common/markup_result.h); the bridge build's functions fill a plain error text instead.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

enum class ByteOrderMark { kNone, kUtf8, kUtf16Le, kUtf16Be };

// What the file a text was read from tells about writing the text back.
struct MarkupFileOrigin {
  ByteOrderMark bom = ByteOrderMark::kNone;
  // Neither mark nor declaration, and not UTF-8: the text is the file's bytes as they were,
  // taken to be in the system code page.
  bool undeclaredBytes = false;
};

// Full build. Reads `path` into `text` in the system code page and reports what the file says
// about its encoding in `origin`. On failure `text` is empty and the result is false.
bool ReadMarkupFile(const std::string& path, std::string& text, MarkupFileOrigin& origin,
                    std::string& results);

// Full build. Writes `text` to `path`: with the mark of `origin` and its encoding when there is
// one, else in the encoding the text declares, else, for text that was an undeclared file's
// own bytes, unchanged, else as UTF-8. A text that would not read back as it is (one holding
// NUL characters, or whose declaration could not be found in the written bytes) is not
// written: false, and the old file stays.
bool WriteMarkupFile(const std::string& path, std::string_view text, const MarkupFileOrigin& origin,
                     std::string& results);

// Bridge build. Reads the whole file unchanged; `result` becomes "<path><n> bytes" on
// success and the system's error text on failure.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& result);

// Bridge build. Writes `bytes` unchanged; `result` holds the system's error text on failure.
bool WriteFileBytes(const std::string& path, std::string_view bytes, std::string& result);

}  // namespace tavrel
