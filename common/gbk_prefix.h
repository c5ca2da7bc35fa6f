// Cutting GBK text to a length in bytes without splitting a character.
#pragma once

#include <cstddef>
#include <string_view>

namespace tavrel {

// The longest start of `text` of at most `maxBytes` bytes that ends between two characters:
// a lead byte (0x81..0xFE) and the byte after it count as one character.
std::string_view GbkPrefix(std::string_view text, std::size_t maxBytes);

}  // namespace tavrel
