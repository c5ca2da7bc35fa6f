#include "common/decimal_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace tavrel {

namespace {

TEST(DecimalText, FollowsTheAtoiRules) {
  EXPECT_EQ(ParseDecimal("1000"), 1000);
  EXPECT_EQ(ParseDecimal("  \t-42"), -42);
  EXPECT_EQ(ParseDecimal("+7"), 7);
  EXPECT_EQ(ParseDecimal("12abc"), 12);
  EXPECT_EQ(ParseDecimal("3.9"), 3);
  EXPECT_EQ(ParseDecimal(""), 0);
  EXPECT_EQ(ParseDecimal("abc"), 0);
  EXPECT_EQ(ParseDecimal("- 5"), 0);
  EXPECT_EQ(ParseDecimal("0x10"), 0);
}

TEST(DecimalText, ClampsToTheIntRange) {
  EXPECT_EQ(ParseDecimal("2147483647"), std::numeric_limits<int>::max());
  EXPECT_EQ(ParseDecimal("99999999999999999999"), std::numeric_limits<int>::max());
  EXPECT_EQ(ParseDecimal("-2147483648"), std::numeric_limits<int>::min());
  EXPECT_EQ(ParseDecimal("-99999999999999999999"), std::numeric_limits<int>::min());
}

}  // namespace

}  // namespace tavrel
