#include "bridge/core/typed_value.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "bridge/core/test_variant.h"
#include "bridge/core/variant_text.h"
#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

TypedValue None() { return {}; }
TypedValue Signed(std::int64_t value) { return {value}; }
TypedValue Unsigned(std::uint64_t value) { return {value}; }
TypedValue Real(double value) { return {value}; }
TypedValue Boolean(bool value) { return {value}; }
TypedValue Date(std::int64_t milliseconds) { return {TypedDate{milliseconds}}; }
TypedValue Text(std::string text) { return {std::move(text)}; }
TypedValue Array(TypedArray elements) { return {std::move(elements)}; }

LONGLONG BitsOf(double value) { return std::bit_cast<LONGLONG>(value); }
LONGLONG BitsOf(float value) { return std::bit_cast<std::int32_t>(value) & 0xFFFFFFFFLL; }

DATE LeapDayDate() {
  SYSTEMTIME time{2024, 2, 0, 29, 23, 59, 58, 0};
  DATE date = 0;
  SystemTimeToVariantTime(&time, &date);
  return date;
}
constexpr std::int64_t kLeapDayMilliseconds = 1'709'251'198'000;  // 2024-02-29 23:59:58 UTC

TEST(TypedValueOfVariant, ScalarsByTheVariantsOwnType) {
  const struct {
    VARTYPE vt;
    LONGLONG bits;  // the union's bytes, read back by the type's width
    TypedValue typed;
  } rows[] = {
      {VT_I1, 0xFD, Signed(-3)},  // sign-extended byte
      {VT_UI1, 200, Unsigned(200)},
      {VT_I2, 0xFFFF, Signed(-1)},
      {VT_UI2, 0xFFFF, Unsigned(65535)},  // zero-extended
      {VT_I4, 0x80000000, Signed(-2147483648LL)},
      {VT_UI4, 4000000000LL, Unsigned(4000000000u)},
      {VT_I8, -9007199254740993LL, Signed(-9007199254740993LL)},  // beyond a double's digits
      {VT_UI8, -1, Unsigned(std::numeric_limits<std::uint64_t>::max())},
      {VT_R4, BitsOf(0.1f), Real(static_cast<double>(0.1f))},  // the float as it is, not "%g"
      {VT_R8, BitsOf(-0.0000004), Real(-0.0000004)},
      {VT_BOOL, 0xFFFF, Boolean(true)},  // VARIANT_TRUE
      {VT_BOOL, 5, Boolean(true)},
      {VT_BOOL, 0, Boolean(false)},
      {VT_DATE, BitsOf(LeapDayDate()), Date(kLeapDayMilliseconds)},
      {VT_DATE, BitsOf(LeapDayDate() + 0.4 / 86400), Date(kLeapDayMilliseconds)},  // as shown
      {VT_DATE, BitsOf(std::nan("")), None()},  // the text's "0000-00-00 ..." stamp
      {VT_CY, 15000, None()},
      {VT_DECIMAL, 1, None()},
      {VT_ERROR, 0x80020004, None()},
      {VT_EMPTY, 0, None()},
      {VT_INT, 4, None()},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "vt " << row.vt << " bits " << row.bits);
    EXPECT_EQ(TypedValueOfVariant(ScalarVariant(row.vt, row.bits).Get()), row.typed);
  }
}

TEST(TypedValueOfVariant, TextsAndReferences) {
  OwnedVariant text;
  text.Mutable()->vt = VT_BSTR;
  text.Mutable()->bstrVal = BstrFromView(OLESTR("温度, 12"));
  EXPECT_EQ(TypedValueOfVariant(text.Get()), Text("温度, 12"));  // GBK, like the literal

  LONG referenced = 9;
  const OwnedVariant reference = ScalarVariant(static_cast<VARTYPE>(VT_BYREF | VT_I4), &referenced);
  EXPECT_EQ(TypedValueOfVariant(reference.Get()), None());
}

// One row per kind of array; each array's typed elements stand where its text has one.
TEST(TypedValueOfVariant, ArraysHoldTheirElementsByType) {
  const BSTR joined = BstrFromView(OLESTR("a, b"));
  const BSTR chinese = BstrFromView(OLESTR("压力"));
  const OwnedVariant half = ScalarVariant(VT_R8, 0.5);
  const OwnedVariant yes = ScalarVariant(VT_BOOL, VARIANT_TRUE);
  const OwnedVariant money = ScalarVariant(VT_CY, LONGLONG{1});
  const OwnedVariant nothing;
  OwnedVariant nested;
  SetArray<LONG>(nested, VT_I4, {1});

  std::vector<std::pair<OwnedVariant, TypedValue>> rows(9);
  SetArray<SHORT>(rows[0].first, VT_I2, {1, -2});
  rows[0].second = Array({Signed(1), Signed(-2)});
  SetArray<DOUBLE>(rows[1].first, VT_R8, {98.923456, 1e8});  // "%g" in the text, whole here
  rows[1].second = Array({Real(98.923456), Real(1e8)});
  SetArray<ULONGLONG>(rows[2].first, VT_UI8, {18446744073709551615ull}, /*lowerBound=*/5);
  rows[2].second = Array({Unsigned(18446744073709551615ull)});
  SetArray<VARIANT_BOOL>(rows[3].first, VT_BOOL, {VARIANT_TRUE, VARIANT_FALSE});
  rows[3].second = Array({Boolean(true), Boolean(false)});
  SetArray<DATE>(rows[4].first, VT_DATE, {LeapDayDate(), std::nan("")});
  rows[4].second = Array({Date(kLeapDayMilliseconds), None()});
  SetArray<BSTR>(rows[5].first, VT_BSTR, {joined, chinese});
  rows[5].second = Array({Text("a, b"), Text("压力")});  // an element may hold ", "
  SetArray<VARIANT>(rows[6].first, VT_VARIANT,
                    {half.Get(), yes.Get(), money.Get(), nothing.Get(), nested.Get()});
  rows[6].second = Array({Real(0.5), Boolean(true), None(), None(), None()});
  SetArray<LONG>(rows[7].first, VT_I4, {});
  rows[7].second = Array({});
  // Elements stored as another type than the variant names are not read.
  rows[8].first.Mutable()->vt = static_cast<VARTYPE>(VT_ARRAY | VT_R8);
  rows[8].first.Mutable()->parray = SafeArrayCreateVector(VT_UI1, 0, 2);
  rows[8].second = Array({None(), None()});
  SysFreeString(joined);
  SysFreeString(chinese);

  for (std::size_t row = 0; row < rows.size(); ++row) {
    SCOPED_TRACE(row);
    const VARIANT& array = rows[row].first.Get();
    const TypedValue typed = TypedValueOfVariant(array);
    EXPECT_EQ(typed, rows[row].second);
    const auto* elements = std::get_if<TypedArray>(&typed.value);
    ASSERT_NE(elements, nullptr);
    EXPECT_EQ(elements->size(), ArrayElementTexts(array).size());
  }
  rows[8].first.Mutable()->vt = static_cast<VARTYPE>(VT_ARRAY | VT_UI1);  // cleared as it is

  OwnedVariant missing;  // an array variant without its array: no elements, like its text
  missing.Mutable()->vt = static_cast<VARTYPE>(VT_ARRAY | VT_I4);
  EXPECT_EQ(TypedValueOfVariant(missing.Get()), Array({}));
}

TEST(TypedValueOfText, ReadAsTheClassReadsIt) {
  const struct {
    const char* text;
    ApiValueType valueClass;
    TypedValue typed;
  } rows[] = {
      {"5", ApiValueType::kReal, Signed(5)},
      {"-9007199254740993", ApiValueType::kReal, Signed(-9007199254740993LL)},
      {"18446744073709551615", ApiValueType::kReal, Unsigned(18446744073709551615ull)},
      {" 12.5kg", ApiValueType::kReal, Real(12.5)},
      {"text", ApiValueType::kReal, Real(0)},
      {"42.9", ApiValueType::kInteger, Signed(42)},
      {"-1", ApiValueType::kBoolean, Boolean(true)},
      {"0", ApiValueType::kBoolean, Boolean(false)},
      {"温度, 12", ApiValueType::kText, Text("温度, 12")},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(TypedValueOfText(row.text, row.valueClass), row.typed);
  }
}

TEST(TypedDateText, ShowsTheMomentInUtcToTheMillisecond) {
  const struct {
    std::int64_t milliseconds;
    const char* text;
  } rows[] = {
      {0, "1970-01-01 00:00:00 000"},
      {-1, "1969-12-31 23:59:59 999"},
      {kLeapDayMilliseconds + 7, "2024-02-29 23:59:58 007"},
      {253402300799999, "9999-12-31 23:59:59 999"},
      {-59011459200000, "0100-01-01 00:00:00 000"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TypedDateText(TypedDate{row.milliseconds}), row.text) << row.milliseconds;
  }
}

}  // namespace

}  // namespace tavrel
