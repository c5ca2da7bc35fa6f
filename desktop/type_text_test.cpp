#include "desktop/type_text.h"

#include <gtest/gtest.h>

namespace tavrel {

namespace {

TEST(TypeTexts, DataTypeAccessRightAndQuality) {
  EXPECT_STREQ(DataTypeName(8200), "String");  // the array bit is ignored
  EXPECT_STREQ(DataTypeName(8197), "Double");
  EXPECT_STREQ(DataTypeName(7), "DataTime");
  EXPECT_STREQ(DataTypeName(21), "ULongLong");
  EXPECT_STREQ(DataTypeName(0), "Native");
  EXPECT_STREQ(DataTypeName(0x4003), "Native");  // no other bit is
  EXPECT_STREQ(AccessRightText(1), "只读");
  EXPECT_STREQ(AccessRightText(2), "只写");
  EXPECT_STREQ(AccessRightText(3), "读写");
  EXPECT_STREQ(AccessRightText(0), "未知");
  EXPECT_STREQ(QualityText(0), "good");
  EXPECT_STREQ(QualityText(1), "bad");
}

}  // namespace

}  // namespace tavrel
