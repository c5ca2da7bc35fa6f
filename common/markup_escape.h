// Escaping text for the markup layer's output.
//
// The escape table: "<" -> "&lt;", "&" -> "&amp;", ">" -> "&gt;", and, in attribute values
// only, "'" -> "&apos;" and '"' -> "&quot;". Every escaped character is ASCII below 0x40, and
// no byte of a double-byte character of the system code page (GBK trail bytes are 0x40 and
// above) is one of them, so escaping byte by byte never splits such a character.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

enum class MarkupEscapeSet {
  kElementText,  // "<", "&", ">"
  kAttribute,    // all five characters of the escape table
};

// Returns `text` with every character of `set` replaced by its reference.
std::string EscapeMarkupText(std::string_view text, MarkupEscapeSet set);

}  // namespace tavrel
