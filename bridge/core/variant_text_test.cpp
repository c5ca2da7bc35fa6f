#include "bridge/core/variant_text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "bridge/core/test_variant.h"
#include "platform/com/variant_time.h"

namespace {

TEST(VariantToText, IntegersPrintInDecimalAndGiveTheirValue) {
  struct Row {
    VARTYPE vt;
    LONGLONG stored;  // the bits stored in the union, read back by the type's width
    const char* text;
    double number;
  };
  const Row rows[] = {
      {VT_I1, 0xFD, "-3", -3},  // sign-extended byte
      {VT_UI1, 200, "200", 200},
      {VT_I2, 0xFFFF, "-1", -1},
      {VT_UI2, 0xFFFF, "65535", 65535},  // zero-extended
      {VT_I4, -2147483648LL & 0xFFFFFFFF, "-2147483648", -2147483648.0},
      {VT_UI4, 4000000000LL, "4000000000", 4000000000.0},
      {VT_I8, 5000000000LL, "5000000000", 5.0e9},
      {VT_I8, -9223372036854775807LL - 1, "-9223372036854775808", -9.223372036854775808e18},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    TestVariant value;
    SetScalar(value, row.vt, &VARIANT::llVal, row.stored);
    const VariantText converted = VariantToText(*value);
    EXPECT_EQ(converted.text, row.text);
    ASSERT_TRUE(converted.number.has_value());
    EXPECT_EQ(*converted.number, row.number);
  }
}

TEST(VariantToText, UnsignedEightByteValuesKeepAllDigits) {
  TestVariant value;
  SetScalar(value, VT_UI8, &VARIANT::ullVal, ULONGLONG{18446744073709551615ULL});
  const VariantText converted = VariantToText(*value);
  EXPECT_EQ(converted.text, "18446744073709551615");
  EXPECT_EQ(converted.number, 18446744073709551615.0);  // converted as unsigned, not as -1
}

TEST(VariantToText, RealsPrintWithSixDecimals) {
  TestVariant single;
  SetScalar(single, VT_R4, &VARIANT::fltVal, 1.5f);
  EXPECT_EQ(VariantToText(*single).text, "1.500000");
  EXPECT_EQ(VariantToText(*single).number, 1.5);

  TestVariant small;
  SetScalar(small, VT_R8, &VARIANT::dblVal, -0.0000004);
  EXPECT_EQ(VariantToText(*small).text, "-0.000000");

  // "%f" of a large value is longer than any fixed buffer a careless conversion might use.
  TestVariant large;
  SetScalar(large, VT_R8, &VARIANT::dblVal, 1e300);
  const std::string text = VariantToText(*large).text;
  EXPECT_EQ(text.size(), 301u + 7u);
  EXPECT_EQ(text.substr(0, 4), "1000");
  EXPECT_EQ(text.substr(text.size() - 7), ".000000");
}

TEST(VariantToText, BooleanIsOneOrZero) {
  TestVariant yes;
  SetScalar(yes, VT_BOOL, &VARIANT::boolVal, VARIANT_TRUE);
  EXPECT_EQ(VariantToText(*yes).text, "1");
  EXPECT_EQ(VariantToText(*yes).number, 1.0);

  TestVariant other;  // any non-zero value is true
  SetScalar(other, VT_BOOL, &VARIANT::boolVal, VARIANT_BOOL{5});
  EXPECT_EQ(VariantToText(*other).text, "1");

  TestVariant no;
  SetScalar(no, VT_BOOL, &VARIANT::boolVal, VARIANT_FALSE);
  EXPECT_EQ(VariantToText(*no).text, "0");
  EXPECT_EQ(VariantToText(*no).number, 0.0);
}

TEST(VariantToText, TextIsConvertedToTheSystemCodePageAndHasNoNumber) {
  TestVariant text;
  SetText(text, u"温度 12");
  const VariantText converted = VariantToText(*text);
  EXPECT_EQ(converted.text, "温度 12");  // narrow literals are GBK, as the conversion's result
  EXPECT_FALSE(converted.number.has_value());

  TestVariant empty;
  empty->vt = VT_BSTR;
  empty->bstrVal = nullptr;  // a null BSTR is the empty string
  EXPECT_EQ(VariantToText(*empty).text, "");
}

TEST(VariantToText, DatePrintsAsTheCalendarTimeWithoutNumber) {
  SYSTEMTIME time{2024, 2, 0, 29, 23, 59, 58, 0};
  DATE date = 0;
  ASSERT_TRUE(SystemTimeToVariantTime(&time, &date));
  TestVariant value;
  SetScalar(value, VT_DATE, &VARIANT::date, date);
  const VariantText converted = VariantToText(*value);
  EXPECT_EQ(converted.text, "2024-02-29 23:59:58 000");
  EXPECT_FALSE(converted.number.has_value());

  TestVariant invalid;
  SetScalar(invalid, VT_DATE, &VARIANT::date, std::nan(""));
  EXPECT_EQ(VariantToText(*invalid).text, "0000-00-00 00:00:00 000");
}

TEST(VariantToText, OtherTypesGiveAQuestionMarkAndNoNumber) {
  TestVariant currency;
  SetScalar(currency, VT_CY, &VARIANT::llVal, LONGLONG{15000});
  TestVariant error;
  SetScalar(error, VT_ERROR, &VARIANT::scode, SCODE{-2147352572});
  TestVariant empty;
  TestVariant machineInteger;
  SetScalar(machineInteger, VT_INT, &VARIANT::intVal, 4);
  LONG referenced = 9;
  TestVariant reference;
  SetScalar(reference, static_cast<VARTYPE>(VT_BYREF | VT_I4), &VARIANT::plVal, &referenced);
  for (TestVariant* value : {&currency, &error, &empty, &machineInteger, &reference}) {
    SCOPED_TRACE((*value)->vt);
    const VariantText converted = VariantToText(**value);
    EXPECT_EQ(converted.text, "?");
    EXPECT_FALSE(converted.number.has_value());
  }
}

TEST(VariantToText, ArraysJoinTheirElementsAndGiveNoNumber) {
  TestVariant shorts;
  SetArray<SHORT>(shorts, VT_I2, {1, 2, 3});
  EXPECT_EQ(VariantToText(*shorts).text, "1, 2, 3");
  EXPECT_FALSE(VariantToText(*shorts).number.has_value());

  TestVariant words;
  SetArray<USHORT>(words, VT_UI2, {65535, 0});
  EXPECT_EQ(VariantToText(*words).text, "65535, 0");

  TestVariant reals;  // elements print with "%g", unlike scalars
  SetArray<DOUBLE>(reals, VT_R8, {1.5, 100000000.0, -0.25});
  EXPECT_EQ(VariantToText(*reals).text, "1.5, 1e+08, -0.25");

  TestVariant singles;
  SetArray<FLOAT>(singles, VT_R4, {2.5f});
  EXPECT_EQ(VariantToText(*singles).text, "2.5");

  TestVariant booleans;
  SetArray<VARIANT_BOOL>(booleans, VT_BOOL, {VARIANT_TRUE, VARIANT_FALSE});
  EXPECT_EQ(VariantToText(*booleans).text, "1, 0");

  TestVariant bytes;
  SetArray<BYTE>(bytes, VT_UI1, {255, 7});
  EXPECT_EQ(VariantToText(*bytes).text, "255, 7");
}

TEST(VariantToText, ArrayBoundsAreWalkedFromLowerToUpper) {
  TestVariant longs;
  SetArray<LONG>(longs, VT_I4, {-7, 8}, /*lowerBound=*/5);
  EXPECT_EQ(VariantToText(*longs).text, "-7, 8");

  TestVariant empty;
  SetArray<LONG>(empty, VT_I4, {});
  EXPECT_EQ(VariantToText(*empty).text, "");
}

TEST(VariantToText, TextArraysAndVariantArrays) {
  TestVariant texts;
  const BSTR first = BstrFromView(u"a");
  const BSTR second = BstrFromView(u"压力");
  SetArray<BSTR>(texts, VT_BSTR, {first, second});
  SysFreeString(first);
  SysFreeString(second);
  EXPECT_EQ(VariantToText(*texts).text, "a, 压力");

  VARIANT number;
  VariantInit(&number);
  number.vt = VT_R8;
  number.dblVal = 0.5;
  VARIANT flag;
  VariantInit(&flag);
  flag.vt = VT_BOOL;
  flag.boolVal = VARIANT_TRUE;
  VARIANT money;
  VariantInit(&money);
  money.vt = VT_CY;
  money.cyVal.int64 = 1;
  TestVariant variants;  // each element prints by the type it holds
  SetArray<VARIANT>(variants, VT_VARIANT, {number, flag, money});
  EXPECT_EQ(VariantToText(*variants).text, "0.5, 1, ?");
}

TEST(VariantToText, UnlistedArrayElementsPrintAsTheirScalars) {
  TestVariant signedBytes;
  SetArray<CHAR>(signedBytes, VT_I1, {-3, 4});
  EXPECT_EQ(VariantToText(*signedBytes).text, "-3, 4");

  TestVariant big;
  SetArray<LONGLONG>(big, VT_I8, {5000000000LL});
  EXPECT_EQ(VariantToText(*big).text, "5000000000");

  TestVariant currency;
  SetArray<CY>(currency, VT_CY, {CY{1}, CY{2}});
  EXPECT_EQ(VariantToText(*currency).text, "?, ?");  // the count and separators stay
}

}  // namespace
