#include "common/plain_file_name.h"

#include <gtest/gtest.h>

namespace tavrel {

namespace {

TEST(PlainFileName, SeparatorsAreCharactersNotTrailBytes) {
  // GBK: "乗" is 81 5C and "誠" is D5 5C, "中" is D6 D0.
  const struct {
    std::string name;
    bool plain;
  } cases[] = {
      {"Sim.Server.1", true},
      {"\x81\x5C", true},
      {"\xD5\x5C\xB7\xFE\xCE\xF1", true},
      {"a\xD6\xD0\x81\x5C.b", true},
      {"...", true},
      {std::string(kMaxFileNameLength, 'a'), true},
      {std::string(kMaxFileNameLength + 1, 'a'), false},
      {"", false},
      {".", false},
      {"..", false},
      {"a/b", false},
      {"a\\b", false},
      {"\\", false},
      {"\xD6\xD0\\", false},
      // Only a lead byte makes a character of the byte that follows, and "/" is no trail byte.
      {"\xFF\\", false},
      {"\x80\\", false},
      {"\x81/", false},
      {"\xD6\xD0\x81/x", false},
      {std::string("a\0b", 3), false},
      {std::string("\x81\0", 2), false},
  };
  for (const auto& file : cases) {
    SCOPED_TRACE(file.name);
    EXPECT_EQ(IsPlainFileName(file.name), file.plain);
  }
}

}  // namespace

}  // namespace tavrel
