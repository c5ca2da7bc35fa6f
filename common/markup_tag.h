// Reading the parts of a tag in a markup document's text: names and attributes.
#pragma once

#include <optional>
#include <string_view>

namespace tavrel {

// Blank, tab, CR or LF.
constexpr bool IsMarkupSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A tag name ends at white space, "/" or ">".
constexpr bool IsMarkupNameEnd(char c) { return IsMarkupSpace(c) || c == '/' || c == '>'; }

// The characters after "<" that begin a start tag: "A" to "Z", "_", ":" and every byte above
// 0x60 (lower-case letters, "{", "|", "}", "~" and all bytes of 0x80 and above).
constexpr bool IsMarkupNameStart(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 'A' && byte <= 'Z') || byte == '_' || byte == ':' || byte > 0x60;
}

// The name at the start of `text` (which begins just after "<" or "</").
std::string_view MarkupTagName(std::string_view text);

// Where one attribute lies in a start tag, as offsets from the tag's "<".
struct MarkupAttributeSpan {
  size_t valueBegin;  // the value as written, quotes included; both equal the end of the
  size_t valueEnd;    // attribute's name when it has no "=" and value
  size_t textBegin;   // the value's text, between its quotes
  size_t textEnd;
  bool assigned;  // the name is followed by "="
};

struct MarkupAttributeLookup {
  std::optional<MarkupAttributeSpan> found;
  size_t end;  // where the scan of the attributes stopped: the tag's closing "/>" or ">"
};

// Looks for the attribute `name` (compared case-sensitively) in `startTag`, a whole start tag
// from "<" to ">". Attributes are a name, optional white space, "=", optional white space and
// a value in double quotes or apostrophes (an unquoted value runs to white space); the first
// attribute with the name answers. Bytes that fit no attribute are skipped.
MarkupAttributeLookup FindMarkupAttribute(std::string_view startTag, std::string_view name);

}  // namespace tavrel
