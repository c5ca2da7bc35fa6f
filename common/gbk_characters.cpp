#include "common/gbk_characters.h"

namespace tavrel {

size_t GbkCharacterLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x81 || lead == 0xFF || text.size() < 2) return 1;
  const auto trail = static_cast<unsigned char>(text[1]);
  return trail >= 0x40 && trail != 0x7F && trail != 0xFF ? 2 : 1;
}

}  // namespace tavrel
