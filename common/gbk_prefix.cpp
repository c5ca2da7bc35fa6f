#include "common/gbk_prefix.h"

namespace tavrel {

std::string_view GbkPrefix(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t end = 0;
  while (end < maxBytes) {
    const auto byte = static_cast<unsigned char>(text[end]);
    const std::size_t width = (byte >= 0x81 && byte <= 0xFE) ? 2 : 1;
    if (end + width > maxBytes) break;
    end += width;
  }
  return text.substr(0, end);
}

}  // namespace tavrel
