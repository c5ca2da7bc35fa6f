#include "bridge/core/variant_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <optional>
#include <random>
#include <vector>

#include "bridge/core/test_variant.h"
#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

struct ScalarRow {
  VARTYPE vt;
  LONGLONG bits;  // the union's bytes, read back by the type's width
  const char* text;
  std::optional<double> number;
};

LONGLONG BitsOf(double value) { return std::bit_cast<LONGLONG>(value); }
LONGLONG BitsOf(float value) { return std::bit_cast<std::int32_t>(value) & 0xFFFFFFFFLL; }

LONGLONG LeapDayDate() {
  SYSTEMTIME time{2024, 2, 0, 29, 23, 59, 58, 0};
  DATE date = 0;
  SystemTimeToVariantTime(&time, &date);
  return BitsOf(date);
}

TEST(VariantToText, ScalarsByTheVariantsOwnType) {
  const ScalarRow rows[] = {
      {VT_I1, 0xFD, "-3", -3},  // sign-extended byte
      {VT_UI1, 200, "200", 200},
      {VT_I2, 0xFFFF, "-1", -1},
      {VT_UI2, 0xFFFF, "65535", 65535},  // zero-extended
      {VT_I4, 0x80000000, "-2147483648", -2147483648.0},
      {VT_UI4, 4000000000LL, "4000000000", 4e9},
      {VT_I8, 5000000000LL, "5000000000", 5e9},
      {VT_UI8, -1, "18446744073709551615", 18446744073709551615.0},  // unsigned, not -1
      {VT_R4, BitsOf(1.5f), "1.500000", 1.5},
      {VT_R8, BitsOf(-0.0000004), "-0.000000", -0.0000004},
      {VT_BOOL, 0xFFFF, "1", 1},  // VARIANT_TRUE
      {VT_BOOL, 5, "1", 1},
      {VT_BOOL, 0, "0", 0},
      {VT_DATE, LeapDayDate(), "2024-02-29 23:59:58 000", std::nullopt},
      {VT_DATE, BitsOf(std::nan("")), "0000-00-00 00:00:00 000", std::nullopt},
      {VT_CY, 15000, "?", std::nullopt},
      {VT_ERROR, 0x80020004, "?", std::nullopt},
      {VT_EMPTY, 0, "?", std::nullopt},
      {VT_INT, 4, "?", std::nullopt},
  };
  for (const ScalarRow& row : rows) {
    SCOPED_TRACE(testing::Message() << "vt " << row.vt << " " << row.text);
    const OwnedVariant value = ScalarVariant(row.vt, row.bits);
    const VariantText converted = VariantToText(value.Get());
    EXPECT_EQ(converted.text, row.text);
    EXPECT_EQ(converted.number, row.number);
  }
}

TEST(VariantToText, TextInTheSystemCodePageAndLongReals) {
  OwnedVariant text;
  text.Mutable()->vt = VT_BSTR;
  text.Mutable()->bstrVal = BstrFromView(OLESTR("温度 12"));
  EXPECT_EQ(VariantToText(text.Get()).text, "温度 12");  // narrow literals are GBK too
  EXPECT_FALSE(VariantToText(text.Get()).number.has_value());

  // "%f" of a large real is longer than any small fixed buffer.
  const OwnedVariant large = ScalarVariant(VT_R8, 1e300);
  const std::string digits = VariantToText(large.Get()).text;
  EXPECT_EQ(digits.size(), 301u + 7u);
  EXPECT_EQ(digits.substr(digits.size() - 7), ".000000");

  LONG referenced = 9;
  const OwnedVariant reference = ScalarVariant(static_cast<VARTYPE>(VT_BYREF | VT_I4), &referenced);
  EXPECT_EQ(VariantToText(reference.Get()).text, "?");
}

// Reals print exactly as printf prints them: "%f" for scalars, "%g" for array elements, over
// rounding ties, tiny and huge magnitudes, subnormals, infinities and random bits; NaNs with
// their sign, as glibc's printf prints them (the C library of Windows prints no sign).
TEST(VariantToText, RealsPrintAsPrintfDoes) {
  for (const auto& [nan, text] :
       {std::pair(std::nan(""), "nan"), std::pair(-std::nan(""), "-nan")}) {
    EXPECT_EQ(VariantToText(ScalarVariant(VT_R8, nan).Get()).text, text);
    OwnedVariant element;
    SetArray<DOUBLE>(element, VT_R8, {nan});
    EXPECT_EQ(VariantToText(element.Get()).text, text);
  }
  std::vector<double> values = {
      0.0, -0.0, 0.5, 2.5, 0.0000005, 0.0000015, 1234567.5, 1e-7, 9.9999995, 999999.5, 1e15,
      123456789012.0, 5e-324, 2.2e-308, 1.7e308, -1e300, HUGE_VAL, -HUGE_VAL, 1.0 / 3, 100.0,
      0x1p53, 0x1p53 - 1, -0x1p52 - 0.5, 0x1p-60, -0x1p-20, 0.0078125,
      // on either side of 2^64 millionths, where the split of the text takes 128 bits
      18446744073709.55, 18446744073709.56, -0x1p44};
  std::mt19937_64 random(8);
  for (int i = 0; i < 2000; ++i) {
    const double bits = std::bit_cast<double>(random());
    values.push_back(std::isfinite(bits) ? bits : 1.25);
    values.push_back(std::ldexp(static_cast<double>(random() % 1000000), -(i % 40)));
  }
  char expected[400];
  for (const double value : values) {
    SCOPED_TRACE(testing::Message() << std::hexfloat << value);
    std::snprintf(expected, sizeof expected, "%f", value);
    EXPECT_EQ(VariantToText(ScalarVariant(VT_R8, value).Get()).text, expected);
    OwnedVariant element;
    SetArray<DOUBLE>(element, VT_R8, {value});
    std::snprintf(expected, sizeof expected, "%g", value);
    EXPECT_EQ(VariantToText(element.Get()).text, expected);
  }
}

TEST(VariantToText, ArraysJoinTheirElementsAndGiveNoNumber) {
  OwnedVariant shorts;
  SetArray<SHORT>(shorts, VT_I2, {1, 2, 3});
  EXPECT_EQ(VariantToText(shorts.Get()).text, "1, 2, 3");
  EXPECT_FALSE(VariantToText(shorts.Get()).number.has_value());

  OwnedVariant reals;  // elements print with "%g", unlike scalars
  SetArray<DOUBLE>(reals, VT_R8, {1.5, 1e8, -0.25});
  EXPECT_EQ(VariantToText(reals.Get()).text, "1.5, 1e+08, -0.25");

  OwnedVariant flags;
  SetArray<VARIANT_BOOL>(flags, VT_BOOL, {VARIANT_TRUE, VARIANT_FALSE});
  EXPECT_EQ(VariantToText(flags.Get()).text, "1, 0");

  OwnedVariant fromFive;
  SetArray<LONG>(fromFive, VT_I4, {-7, 8}, /*lowerBound=*/5);
  EXPECT_EQ(VariantToText(fromFive.Get()).text, "-7, 8");

  OwnedVariant none;
  SetArray<LONG>(none, VT_I4, {});
  EXPECT_EQ(VariantToText(none.Get()).text, "");

  const BSTR first = BstrFromView(OLESTR("a"));
  const BSTR second = BstrFromView(OLESTR("压力"));
  OwnedVariant texts;
  SetArray<BSTR>(texts, VT_BSTR, {first, second});
  SysFreeString(first);
  SysFreeString(second);
  EXPECT_EQ(VariantToText(texts.Get()).text, "a, 压力");

  // Elements of other types: variants by the type they hold, the rest as their scalars or "?",
  // always one text per element.
  const OwnedVariant half = ScalarVariant(VT_R8, 0.5);
  const OwnedVariant yes = ScalarVariant(VT_BOOL, VARIANT_TRUE);
  const OwnedVariant money = ScalarVariant(VT_CY, LONGLONG{1});
  OwnedVariant variants;
  SetArray<VARIANT>(variants, VT_VARIANT, {half.Get(), yes.Get(), money.Get()});
  EXPECT_EQ(VariantToText(variants.Get()).text, "0.5, 1, ?");
  OwnedVariant signedBytes;
  SetArray<CHAR>(signedBytes, VT_I1, {-3, 4});
  EXPECT_EQ(VariantToText(signedBytes.Get()).text, "-3, 4");
  OwnedVariant currency;
  SetArray<CY>(currency, VT_CY, {CY{.int64 = 1}, CY{.int64 = 2}});
  EXPECT_EQ(VariantToText(currency.Get()).text, "?, ?");
}

// A server may send an array whose own elements are not of the type its variant names: they
// are not read as that type (which would read past a narrower element or follow an integer as
// a string), each one shows "?".
TEST(VariantToText, ArraysOfAnotherElementTypeShowAQuestionMarkPerElement) {
  const struct {
    VARTYPE stored;
    ULONG count;
    VARTYPE named;
    const char* expected;
  } cases[] = {
      {VT_UI1, 3, VT_R8, "?, ?, ?"},   // narrower elements
      {VT_I4, 2, VT_BSTR, "?, ?"},     // integers named as strings
      {VT_I4, 2, VT_VARIANT, "?, ?"},  // integers named as variants
      {VT_BSTR, 1, VT_I8, "?"},        // pointers named as integers of their size
      {VT_I4, 0, VT_R8, ""},
  };
  for (const auto& c : cases) {
    OwnedVariant array;
    array.Mutable()->vt = static_cast<VARTYPE>(VT_ARRAY | c.named);
    array.Mutable()->parray = SafeArrayCreateVector(c.stored, 0, c.count);
    EXPECT_EQ(VariantToText(array.Get()).text, c.expected) << c.stored << " as " << c.named;
    array.Mutable()->vt = static_cast<VARTYPE>(VT_ARRAY | c.stored);  // cleared as what it is
  }
}

}  // namespace

}  // namespace tavrel
