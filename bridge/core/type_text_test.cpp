#include "bridge/core/type_text.h"

#include <gtest/gtest.h>

#include "bridge/core/api_value_type.h"

namespace {

TEST(ApiValueType, FollowsTheRequestedType) {
  using enum ApiValueType;
  const std::pair<int, ApiValueType> rows[] = {
      {2, kInteger}, {3, kInteger}, {16, kInteger}, {17, kInteger}, {18, kInteger}, {11, kBoolean},
      {7, kText},    {8, kText},    {8200, kText},  {4, kReal},     {5, kReal},     {19, kReal},
      {20, kReal},   {21, kReal},   {0, kReal},     {8197, kReal},  {8194, kReal},  {-1, kReal}};
  for (const auto& [vt, valueClass] : rows) EXPECT_EQ(ApiValueTypeOfVarType(vt), valueClass) << vt;
}

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
