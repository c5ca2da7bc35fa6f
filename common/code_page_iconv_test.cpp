// The code pages iconv converts under names of its own, and the stateful ones: what the Linux
// conversions offer beyond a default Windows installation's (Wine lacks several of them).
#include <gtest/gtest.h>

#include "common/code_page.h"
#include "common/wide_string.h"

namespace tavrel {

namespace {

const WideString kWide = OLESTR("\u7248\u672C");  // "版本"

TEST(CodePage, StatefulEncodingsReturnToTheirInitialState) {
  std::string jis;
  ASSERT_TRUE(Utf16ToCodePage(50220, OLESTR("a") + kWide, jis));  // ISO-2022-JP
  EXPECT_EQ(jis, "a\x1B$BHG\x4B\x5C\x1B(B");
  WideString back;
  ASSERT_TRUE(CodePageToUtf16(50220, jis, back));
  EXPECT_EQ(back, OLESTR("a") + kWide);

  std::string utf7;
  ASSERT_TRUE(Utf16ToCodePage(65000, kWide, utf7));
  EXPECT_EQ(utf7, "+ckhnLA-");
}

TEST(CodePage, CodePagesWithOwnIconvNamesConvert) {
  for (unsigned codePage : {154u,   708u,   10000u, 10007u, 10017u, 10029u, 10079u, 20106u,
                            20107u, 20108u, 20261u, 20269u, 20866u, 20932u, 20936u, 20949u,
                            21866u, 38598u, 50225u, 50227u, 51932u, 51936u, 51949u, 65005u}) {
    EXPECT_TRUE(IsCodePageConvertible(codePage)) << codePage;
  }
  EXPECT_FALSE(IsCodePageConvertible(52936));  // HZ: glibc's iconv has none

  std::string koi8;
  ASSERT_TRUE(Utf16ToCodePage(20866, OLESTR("\u0416"), koi8));  // Cyrillic capital letter zhe
  EXPECT_EQ(koi8, "\xF6");
}

}  // namespace

}  // namespace tavrel
