#include "common/code_page.h"

#include <gtest/gtest.h>

#include "common/wide_string.h"

namespace tavrel {

namespace {

// "版本" in GBK, UTF-16 and UTF-8, spelled as bytes so the test does not depend on how
// literals are compiled.
const std::string kGbk = "\xB0\xE6\xB1\xBE";
const WideString kWide = OLESTR("\u7248\u672C");
const std::string kUtf8 = "\xE7\x89\x88\xE6\x9C\xAC";

TEST(CodePage, SystemCodePageRoundTripsThroughUtf16AndUtf8) {
  EXPECT_EQ(AnsiToWide(kGbk), kWide);
  EXPECT_EQ(WideToAnsi(kWide), kGbk);
  EXPECT_EQ(AnsiToUtf8("ab" + kGbk), "ab" + kUtf8);
  EXPECT_EQ(Utf8ToAnsi(kUtf8 + "cd"), kGbk + "cd");
}

TEST(CodePage, UnrepresentableCharactersBecomeQuestionMarksAndAreReported) {
  std::string out;
  bool lossy = false;
  ASSERT_TRUE(Utf16ToCodePage(kSystemCodePage, OLESTR("a\u0E01b"), out, &lossy));  // a Thai letter
  EXPECT_EQ(out, "a?b");
  EXPECT_TRUE(lossy);

  ASSERT_TRUE(Utf16ToCodePage(kSystemCodePage, OLESTR("x\xD800y"), out, &lossy));  // lone surrogate
  EXPECT_EQ(out, "x?y");
  EXPECT_TRUE(lossy);
}

TEST(CodePage, InvalidInputBecomesReplacementCharacter) {
  WideString out;
  bool lossy = false;
  ASSERT_TRUE(CodePageToUtf16(kUtf8CodePage,
                              "a\xFF"
                              "b",
                              out, &lossy));
  EXPECT_EQ(out, OLESTR("a\uFFFDb"));
  EXPECT_TRUE(lossy);

  ASSERT_TRUE(CodePageToUtf16(kSystemCodePage, "c\xB0", out, &lossy));  // cut double byte
  EXPECT_EQ(out, OLESTR("c\uFFFD"));
  EXPECT_TRUE(lossy);

  ASSERT_TRUE(CodePageToUtf16(kSystemCodePage, kGbk, out, &lossy));
  EXPECT_FALSE(lossy);
}

// ASCII runs are copied and the runs between them converted; a run never ends inside a
// character, so faulty and cut sequences next to ASCII convert as in a whole-text conversion.
TEST(CodePage, MixedTextConvertsTheSameAtEveryRunBoundary) {
  WideString wide;
  // 0x81 0x40 is one GBK character whose second byte is '@'; 0x81 0x20 is a faulty lead byte
  // followed by a blank; 0x80 is the euro sign; a lead byte at the end is cut.
  ASSERT_TRUE(CodePageToUtf16(kSystemCodePage,
                              "a\x81\x40"
                              "b\x81 c\x80"
                              "d" +
                                  kGbk + "\xB0",
                              wide));
  EXPECT_EQ(wide, OLESTR("a\u4E02b\uFFFD c\u20ACd") + kWide + OLESTR("\uFFFD"));

  // UTF-8: a sequence cut by ASCII (each of its bytes replaced), a stray continuation byte,
  // then a whole character.
  ASSERT_TRUE(CodePageToUtf16(kUtf8CodePage, "\xE7\x89x\x88y" + kUtf8 + "z", wide));
  EXPECT_EQ(wide, OLESTR("\uFFFD\uFFFDx\uFFFDy") + kWide + OLESTR("z"));

  // From UTF-16: a character outside the BMP stays one pair (two units the code page lacks).
  std::string ansi;
  ASSERT_TRUE(Utf16ToCodePage(kSystemCodePage, OLESTR("p\U0001F600q") + kWide + OLESTR("r"), ansi));
  EXPECT_EQ(ansi, "p??q" + kGbk + "r");
  ASSERT_TRUE(Utf16ToCodePage(kUtf8CodePage, OLESTR("p\U0001F600q"), ansi));
  EXPECT_EQ(ansi, "p\xF0\x9F\x98\x80q");

  // Long texts keep every run in order.
  std::string text;
  WideString expected;
  for (int i = 0; i < 1000; ++i) {
    text += std::to_string(i) + kGbk;
    for (char c : std::to_string(i)) expected.push_back(static_cast<WCHAR>(c));
    expected += kWide;
  }
  EXPECT_EQ(AnsiToWide(text), expected);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(text)), text);
}

TEST(CodePage, Utf16CodePagesConvertEvenPlainAscii) {
  WideString wide;
  ASSERT_TRUE(CodePageToUtf16(kUtf16BeCodePage, std::string("\0A\x72\x48", 4), wide));
  EXPECT_EQ(wide, OLESTR("A\u7248"));
  std::string bytes;
  ASSERT_TRUE(Utf16ToCodePage(kUtf16LeCodePage, OLESTR("A"), bytes));
  EXPECT_EQ(bytes, std::string("A\0", 2));
}

TEST(CodePage, UnknownCodePageIsRefused) {
  EXPECT_FALSE(IsCodePageConvertible(4242));
  WideString wide = OLESTR("left");
  EXPECT_FALSE(CodePageToUtf16(4242, "x", wide));
  EXPECT_TRUE(wide.empty());
  EXPECT_TRUE(IsCodePageConvertible(1252));
  EXPECT_TRUE(IsCodePageConvertible(kSystemCodePage));
}

}  // namespace

}  // namespace tavrel
