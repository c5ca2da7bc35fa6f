#include "bridge/core/api_value_type.h"

#include <gtest/gtest.h>

#include <utility>

namespace tavrel {

namespace {

TEST(ApiValueType, FollowsTheRequestedType) {
  using enum ApiValueType;
  const std::pair<int, ApiValueType> rows[] = {
      {2, kInteger}, {3, kInteger}, {16, kInteger}, {17, kInteger}, {18, kInteger}, {11, kBoolean},
      {7, kText},    {8, kText},    {8200, kText},  {4, kReal},     {5, kReal},     {19, kReal},
      {20, kReal},   {21, kReal},   {0, kReal},     {8197, kReal},  {8194, kReal},  {-1, kReal}};
  for (const auto& [vt, valueClass] : rows) EXPECT_EQ(ApiValueTypeOfVarType(vt), valueClass) << vt;
}

}  // namespace

}  // namespace tavrel
