#include "common/peer_text.h"

#include <gtest/gtest.h>

namespace tavrel {

namespace {

TEST(PeerTextForLog, CutsLongTextOnACharacterBoundaryAndEscapesControlCharacters) {
  const std::string ascii(kPeerTextLogLimit, 'a');
  // "中" in GBK; 0x5C as a trail byte ("乗") is no backslash to escape.
  const std::string wide = "\xD6\xD0";
  const struct {
    std::string text;
    std::string logged;
  } cases[] = {
      {"", ""},
      {"/get_opc_db?a=1", "/get_opc_db?a=1"},
      {ascii, ascii},
      {ascii + "b", ascii + "..."},
      {ascii + std::string(100000, 'b'), ascii + "..."},
      // A two-byte character that would end past the limit is left out whole.
      {std::string(kPeerTextLogLimit - 1, 'a') + wide,
       std::string(kPeerTextLogLimit - 1, 'a') + "..."},
      {std::string(kPeerTextLogLimit - 2, 'a') + wide,
       std::string(kPeerTextLogLimit - 2, 'a') + wide},
      {"name\r\n2024-01-01 00:00:00.000 forged", "name\\x0D\\x0A2024-01-01 00:00:00.000 forged"},
      {std::string("a\0b\tc\x1B\x7F", 7), "a\\x00b\\x09c\\x1B\\x7F"},
      {"\x81\x5C\\" + wide, "\x81\x5C\\" + wide},
      // The limit counts the text's own bytes, not those of the escapes.
      {std::string(kPeerTextLogLimit, '\n'),
       [] {
         std::string escaped;
         for (size_t i = 0; i < kPeerTextLogLimit; ++i) escaped += "\\x0A";
         return escaped;
       }()},
  };
  for (const auto& peer : cases) {
    SCOPED_TRACE(peer.text.substr(0, 40));
    EXPECT_EQ(PeerTextForLog(peer.text), peer.logged);
  }
}

}  // namespace

}  // namespace tavrel
