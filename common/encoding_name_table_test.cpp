#include "common/encoding_name_table.h"

#include <gtest/gtest.h>

#include <string>

namespace tavrel {

namespace {

TEST(EncodingNameTable, LookUpRules) {
  EXPECT_EQ(CodePageOfEncodingName("GB2312"), 936u);  // compared in lower case
  EXPECT_EQ(CodePageOfEncodingName("Shift_JIS"), 932u);
  EXPECT_EQ(CodePageOfEncodingName(""), 936u);  // the system code page

  // "UTF-32" in upper case is checked before the table; otherwise the table decides.
  EXPECT_EQ(CodePageOfEncodingName("UTF-32BE"), 65005u);
  EXPECT_EQ(CodePageOfEncodingName("utf-32be"), 12001u);
  EXPECT_EQ(CodePageOfEncodingName("Utf-32"), 12000u);

  EXPECT_EQ(CodePageOfEncodingName("klingon"), std::nullopt);
  EXPECT_EQ(CodePageOfEncodingName("gbk "), std::nullopt);
  EXPECT_EQ(CodePageOfEncodingName("cp1256 "), 1256u);  // the one name with a blank

  // The first and last names in sort order, and strings beyond both ends.
  EXPECT_EQ(CodePageOfEncodingName("_iso-2022-jp"), 50221u);
  EXPECT_EQ(CodePageOfEncodingName("x_chinese-eten"), 20002u);
  EXPECT_EQ(CodePageOfEncodingName("!"), std::nullopt);
  EXPECT_EQ(CodePageOfEncodingName("~"), std::nullopt);
}

TEST(EncodingNameTable, NamesOfAHundredCharactersAreUnknown) {
  const std::string padded = "UTF-8" + std::string(95, ' ');
  ASSERT_EQ(padded.size(), kMaxEncodingNameLength);
  EXPECT_EQ(CodePageOfEncodingName(padded), std::nullopt);
  EXPECT_EQ(CodePageOfEncodingName("UTF-32" + std::string(95, ' ')), 65005u);  // checked first
}

}  // namespace

}  // namespace tavrel
