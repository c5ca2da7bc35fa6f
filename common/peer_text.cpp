#include "common/peer_text.h"

#include "common/gbk_characters.h"

namespace tavrel {

std::string PeerTextForLog(std::string_view text) {
  size_t kept = 0;
  while (kept < text.size()) {
    const size_t length = GbkCharacterLength(text.substr(kept));
    if (kept + length > kPeerTextLogLimit) break;
    kept += length;
  }
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string line;
  line.reserve(kept + 3);
  // A trail byte is 0x40 or above and never 0x7F, so no byte of a two-byte character is
  // taken for a control character.
  for (const char c : text.substr(0, kept)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      line += "\\x";
      line += kHex[byte >> 4];
      line += kHex[byte & 0xF];
    } else {
      line += c;
    }
  }
  if (kept < text.size()) line += "...";
  return line;
}

}  // namespace tavrel
