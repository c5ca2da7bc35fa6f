// The comparisons behind change detection, the deadband and requested data types.
#include "platform/opcsim/variant_compare.h"

#include <gtest/gtest.h>

#include <cmath>

#include "common/wide_string.h"
#include "platform/com/owned_variant.h"
#include "platform/opcsim/value_generators.h"

namespace tavrel::opcsim {

namespace {

TEST(VariantCompare, ValuesCompareByTypeAndContent) {
  EXPECT_TRUE(VariantsEqual(OwnedVariant::FromText(OLESTR("a")).Get(),
                            OwnedVariant::FromText(OLESTR("a")).Get()));
  EXPECT_FALSE(VariantsEqual(OwnedVariant::FromText(OLESTR("a")).Get(),
                             OwnedVariant::FromText(OLESTR("b")).Get()));
  EXPECT_FALSE(
      VariantsEqual(OwnedVariant::FromDouble(1).Get(), OwnedVariant::FromBool(true).Get()));
  const OwnedVariant nan = OwnedVariant::FromDouble(std::nan(""));
  EXPECT_FALSE(VariantsEqual(nan.Get(), nan.Get()));
  EXPECT_TRUE(VariantsEqual(InitialStoredValue(VT_ARRAY | VT_R8).Get(),
                            InitialStoredValue(VT_ARRAY | VT_R8).Get()));
  EXPECT_TRUE(VariantsEqual(InitialStoredValue(VT_ARRAY | VT_BSTR).Get(),
                            InitialStoredValue(VT_ARRAY | VT_BSTR).Get()))
      << "string arrays compare element by element, not by pointer";
}

TEST(VariantCompare, NumbersAndBooleansAsDouble) {
  EXPECT_EQ(VariantAsDouble(OwnedVariant::FromDouble(-2.5).Get()), -2.5);
  EXPECT_EQ(VariantAsDouble(OwnedVariant::FromBool(true).Get()), 1.0);
  EXPECT_EQ(VariantAsDouble(OwnedVariant::FromBool(false).Get()), 0.0);
  OwnedVariant currency;
  currency.Mutable()->vt = VT_CY;
  currency.Mutable()->cyVal.int64 = 12345;  // currency counts ten-thousandths
  EXPECT_EQ(VariantAsDouble(currency.Get()), 1.2345);
  EXPECT_FALSE(VariantAsDouble(OwnedVariant::FromText(OLESTR("1")).Get()).has_value());
  EXPECT_FALSE(VariantAsDouble(InitialStoredValue(VT_ARRAY | VT_R8).Get()).has_value());
}

TEST(VariantCompare, ScalarsAreServedAsAnyScalarArraysOnlyAsThemselves) {
  EXPECT_TRUE(CanServeAs(VT_I4, VT_EMPTY));
  EXPECT_TRUE(CanServeAs(VT_I4, VT_BSTR));
  EXPECT_TRUE(CanServeAs(VT_BOOL, VT_R4));
  EXPECT_FALSE(CanServeAs(VT_I4, VT_UNKNOWN));
  EXPECT_TRUE(CanServeAs(VT_ARRAY | VT_R8, VT_ARRAY | VT_R8));
  EXPECT_FALSE(CanServeAs(VT_ARRAY | VT_R8, VT_R8));
  EXPECT_FALSE(CanServeAs(VT_R8, VT_ARRAY | VT_R8));
}

}  // namespace

}  // namespace tavrel::opcsim
