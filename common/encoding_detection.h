// Finding the encoding of a markup text from its own bytes.
//
// Both look only at bytes that read as ASCII, so they work on text in any 8-bit encoding whose
// ASCII range is ASCII (the system code page, UTF-8, the ISO 8859 family, ...).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

// How many bytes at the start of a text are examined for a declared encoding.
inline constexpr size_t kEncodingHeadSize = 1024;

// The encoding that the first kEncodingHeadSize bytes of `text` declare:
//  - the "encoding" pseudo-attribute of an "<?xml" declaration at offset 0, or else
//  - in an HTML text, the charset in the "content" attribute of a <meta http-equiv=
//    "Content-Type"> element inside the <head> of an <html> element.
// Nothing when neither is there (or is cut off by the end of the examined bytes). A declared
// empty name is returned as an empty string: it is a declaration, unlike nothing.
std::optional<std::string> FindDeclaredEncoding(std::string_view text);

// True when every byte of 0x80 or above in `bytes` belongs to a well-formed UTF-8 sequence
// (no overlong forms, no surrogates, nothing above U+10FFFF). A sequence cut by the end of
// `bytes` does not count against it.
bool IsUtf8Text(std::string_view bytes);

}  // namespace tavrel
