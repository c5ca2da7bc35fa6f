// Walking text in the system code page (GBK) character by character.
//
// A GBK character is one byte, or a lead byte 0x81-0xFE followed by a trail byte 0x40-0x7E or
// 0x80-0xFE. A trail byte may be an ASCII letter or "\" (0x5C), so a byte-wise search for such
// a byte can find one that is only the second half of a character.
#pragma once

#include <cstddef>
#include <string_view>

namespace tavrel {

// The length of the character that begins `text`: 2 for a lead byte followed by a trail
// byte, else 1 (a lead byte at the end of the text, or before a byte that cannot follow it,
// stands alone); 0 for an empty text.
size_t GbkCharacterLength(std::string_view text);

}  // namespace tavrel
