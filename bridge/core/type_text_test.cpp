#include "bridge/core/type_text.h"

#include <gtest/gtest.h>

#include <string>

#include "bridge/core/api_value_type.h"

namespace {

TEST(ApiValueType, FollowsTheRequestedType) {
  struct Row {
    int vt;
    ApiValueType valueClass;
  };
  const Row rows[] = {
      {2, ApiValueType::kInteger},  {3, ApiValueType::kInteger},  {16, ApiValueType::kInteger},
      {17, ApiValueType::kInteger}, {18, ApiValueType::kInteger}, {11, ApiValueType::kBoolean},
      {7, ApiValueType::kText},     {8, ApiValueType::kText},     {8200, ApiValueType::kText},
      {4, ApiValueType::kReal},     {5, ApiValueType::kReal},     {19, ApiValueType::kReal},
      {20, ApiValueType::kReal},    {21, ApiValueType::kReal},    {0, ApiValueType::kReal},
      {8197, ApiValueType::kReal},  {8194, ApiValueType::kReal},  {-1, ApiValueType::kReal},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ApiValueTypeOfVarType(row.vt), row.valueClass) << "vt " << row.vt;
  }
}

TEST(DataTypeName, NamesTheElementTypeOfArraysAndNativeForTheRest) {
  EXPECT_STREQ(DataTypeName(8200), "String");
  EXPECT_STREQ(DataTypeName(8197), "Double");
  EXPECT_STREQ(DataTypeName(7), "DataTime");
  EXPECT_STREQ(DataTypeName(16), "Char");
  EXPECT_STREQ(DataTypeName(21), "ULongLong");
  EXPECT_STREQ(DataTypeName(0), "Native");
  EXPECT_STREQ(DataTypeName(6), "Native");
  EXPECT_STREQ(DataTypeName(0x2000), "Native");
  EXPECT_STREQ(DataTypeName(0x4003), "Native");  // only the array bit is ignored
}

TEST(AccessRightText, ThreeDirectionsAndUnknown) {
  EXPECT_STREQ(AccessRightText(1), "只读");
  EXPECT_STREQ(AccessRightText(2), "只写");
  EXPECT_STREQ(AccessRightText(3), "读写");
  EXPECT_STREQ(AccessRightText(0), "未知");
  EXPECT_STREQ(AccessRightText(4), "未知");
}

TEST(QualityText, GoodOnlyWithoutBadFlag) {
  EXPECT_STREQ(QualityText(0), "good");
  EXPECT_STREQ(QualityText(1), "bad");
  EXPECT_STREQ(QualityText(7), "bad");
}

}  // namespace
