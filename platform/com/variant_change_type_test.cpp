#include <gtest/gtest.h>

#include <string>

#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"
#include "platform/com/owned_variant.h"

namespace tavrel {

namespace {

// Converts `text` to `vt` into `*result`.
HRESULT FromText(const WCHAR* text, VARTYPE vt, OwnedVariant* result) {
  const OwnedVariant source = OwnedVariant::FromText(text);
  return VariantChangeType(result->Mutable(), &source.Get(), 0, vt);
}

HRESULT TextOf(const VARIANT& value, WideString* text, USHORT flags = 0) {
  OwnedVariant result;
  const HRESULT hr = VariantChangeType(result.Mutable(), &value, flags, VT_BSTR);
  if (SUCCEEDED(hr)) *text = BstrView(result.Get().bstrVal);
  return hr;
}

VARIANT Real(double value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_R8;
  v.dblVal = value;
  return v;
}

TEST(VariantChangeType, TextToRealIsExact) {
  OwnedVariant r;
  ASSERT_EQ(FromText(OLESTR("12.5"), VT_R8, &r), S_OK);
  EXPECT_EQ(r.Type(), VT_R8);
  EXPECT_EQ(r.Get().dblVal, 12.5);
  ASSERT_EQ(FromText(OLESTR("  -1,234.5e-1 "), VT_R8, &r), S_OK);
  EXPECT_DOUBLE_EQ(r.Get().dblVal, -123.45);
  ASSERT_EQ(FromText(OLESTR("0.1"), VT_R4, &r), S_OK);
  EXPECT_EQ(r.Get().fltVal, 0.1f);
}

TEST(VariantChangeType, TextToIntegerRoundsHalfToEven) {
  struct Case {
    const WCHAR* text;
    LONG expected;
  } cases[] = {{OLESTR("12.5"), 12}, {OLESTR("13.5"), 14},  {OLESTR("12.51"), 13},
               {OLESTR("-2.5"), -2}, {OLESTR("-3.5"), -4},  {OLESTR("0.5"), 0},
               {OLESTR("1.5"), 2},   {OLESTR("2.4999"), 2}, {OLESTR("1e2"), 100},
               {OLESTR("(7)"), -7},  {OLESTR("7-"), -7},    {OLESTR("+8"), 8},
               {OLESTR("&H1F"), 31}, {OLESTR("&O17"), 15},  {OLESTR("1,000"), 1000}};
  for (const Case& c : cases) {
    OwnedVariant r;
    ASSERT_EQ(FromText(c.text, VT_I4, &r), S_OK) << std::string(c.text, c.text + 1);
    EXPECT_EQ(r.Type(), VT_I4);
    EXPECT_EQ(r.Get().lVal, c.expected);
  }
}

TEST(VariantChangeType, RealToIntegerRoundsHalfToEven) {
  const struct {
    double value;
    VARTYPE vt;
    LONGLONG expected;
  } cases[] = {{2.5, VT_I2, 2},           {3.5, VT_UI1, 4},
               {-0.5, VT_I1, 0},          {254.5, VT_UI1, 254},
               {-32768.4, VT_I2, -32768}, {1e15 + 0.5, VT_I8, 1000000000000000}};
  for (const auto& c : cases) {
    OwnedVariant r;
    VARIANT source = Real(c.value);
    ASSERT_EQ(VariantChangeType(r.Mutable(), &source, 0, c.vt), S_OK) << c.value;
    OwnedVariant wide;
    ASSERT_EQ(VariantChangeType(wide.Mutable(), &r.Get(), 0, VT_I8), S_OK);
    EXPECT_EQ(wide.Get().llVal, c.expected) << c.value;
  }
}

TEST(VariantChangeType, TextThatIsNoNumberIsATypeMismatch) {
  for (const WCHAR* text :
       {OLESTR("abc"), OLESTR(""), OLESTR("  "), OLESTR("12abc"), OLESTR("1.2.3"), OLESTR("--1"),
        OLESTR("(1"), OLESTR("1e"), OLESTR("&H"), OLESTR("&HXY"), OLESTR(",1"), OLESTR("1,"),
        OLESTR("$5")}) {
    OwnedVariant r;
    EXPECT_EQ(FromText(text, VT_I4, &r), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(FromText(text, VT_R8, &r), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(r.Type(), VT_EMPTY);  // a failed conversion leaves the destination alone
  }
}

TEST(VariantChangeType, ValuesOutOfRangeOverflow) {
  OwnedVariant r;
  EXPECT_EQ(FromText(OLESTR("2147483648"), VT_I4, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(FromText(OLESTR("2147483647.5"), VT_I4, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(FromText(OLESTR("2147483647.4"), VT_I4, &r), S_OK);
  EXPECT_EQ(FromText(OLESTR("-2147483648.5"), VT_I4, &r), S_OK);
  EXPECT_EQ(r.Get().lVal, -2147483647 - 1);
  EXPECT_EQ(FromText(OLESTR("256"), VT_UI1, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(FromText(OLESTR("-1"), VT_UI4, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(FromText(OLESTR("18446744073709551615"), VT_UI8, &r), S_OK);
  EXPECT_EQ(r.Get().ullVal, 18446744073709551615ull);
  EXPECT_EQ(FromText(OLESTR("18446744073709551616"), VT_UI8, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(FromText(OLESTR("9223372036854775808"), VT_I8, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(FromText(OLESTR("-9223372036854775808"), VT_I8, &r), S_OK);
  EXPECT_EQ(FromText(OLESTR("1e39"), VT_R4, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(FromText(OLESTR("1e309"), VT_R8, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(FromText(OLESTR("1e-400"), VT_R8, &r), S_OK);
  EXPECT_EQ(r.Get().dblVal, 0.0);
  VARIANT nan = Real(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(VariantChangeType(r.Mutable(), &nan, 0, VT_I4), DISP_E_OVERFLOW);
  VARIANT big = Real(70000.0);
  EXPECT_EQ(VariantChangeType(r.Mutable(), &big, 0, VT_I2), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, HexadecimalTextIsABitPatternOfTheSmallestWidth) {
  OwnedVariant r;
  ASSERT_EQ(FromText(OLESTR("&HFFFF"), VT_I4, &r), S_OK);
  EXPECT_EQ(r.Get().lVal, -1);
  ASSERT_EQ(FromText(OLESTR("&H10000"), VT_I4, &r), S_OK);
  EXPECT_EQ(r.Get().lVal, 65536);
  EXPECT_EQ(FromText(OLESTR("&HFFFF"), VT_UI2, &r), DISP_E_OVERFLOW);
  EXPECT_EQ(FromText(OLESTR("&H10000000000000000"), VT_I8, &r), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, BooleansFromNumbersAndWords) {
  const struct {
    const WCHAR* text;
    VARIANT_BOOL expected;
  } cases[] = {{OLESTR("12.5"), VARIANT_TRUE}, {OLESTR("0"), VARIANT_FALSE},
               {OLESTR("0.0"), VARIANT_FALSE}, {OLESTR("-1"), VARIANT_TRUE},
               {OLESTR("True"), VARIANT_TRUE}, {OLESTR(" false "), VARIANT_FALSE},
               {OLESTR("TRUE"), VARIANT_TRUE}, {OLESTR("0.4"), VARIANT_TRUE}};
  for (const auto& c : cases) {
    OwnedVariant r;
    ASSERT_EQ(FromText(c.text, VT_BOOL, &r), S_OK);
    EXPECT_EQ(r.Type(), VT_BOOL);
    EXPECT_EQ(r.Get().boolVal, c.expected);
  }
  OwnedVariant r;
  EXPECT_EQ(FromText(OLESTR("yes"), VT_BOOL, &r), DISP_E_TYPEMISMATCH);
}

TEST(VariantChangeType, BooleansToNumbersAndText) {
  VARIANT yes;
  VariantInit(&yes);
  yes.vt = VT_BOOL;
  yes.boolVal = VARIANT_TRUE;
  OwnedVariant r;
  ASSERT_EQ(VariantChangeType(r.Mutable(), &yes, 0, VT_I2), S_OK);
  EXPECT_EQ(r.Get().iVal, -1);
  ASSERT_EQ(VariantChangeType(r.Mutable(), &yes, 0, VT_UI1), S_OK);
  EXPECT_EQ(r.Get().bVal, 255);
  ASSERT_EQ(VariantChangeType(r.Mutable(), &yes, 0, VT_R8), S_OK);
  EXPECT_EQ(r.Get().dblVal, -1.0);
  WideString text;
  ASSERT_EQ(TextOf(yes, &text), S_OK);
  EXPECT_EQ(text, OLESTR("-1"));
  ASSERT_EQ(TextOf(yes, &text, VARIANT_ALPHABOOL), S_OK);
  EXPECT_EQ(text, OLESTR("True"));
  yes.boolVal = VARIANT_FALSE;
  ASSERT_EQ(TextOf(yes, &text), S_OK);
  EXPECT_EQ(text, OLESTR("0"));
}

TEST(VariantChangeType, NumbersToText) {
  const struct {
    double value;
    const WCHAR* expected;
  } cases[] = {{12.5, OLESTR("12.5")},  {0.1, OLESTR("0.1")},
               {-3.0, OLESTR("-3")},    {1e20, OLESTR("1E+20")},
               {1e-5, OLESTR("1E-05")}, {1.0 / 3, OLESTR("0.333333333333333")},
               {-0.0, OLESTR("0")},     {123456789012345.0, OLESTR("123456789012345")}};
  for (const auto& c : cases) {
    WideString text;
    ASSERT_EQ(TextOf(Real(c.value), &text), S_OK);
    EXPECT_EQ(text, c.expected);
  }
  VARIANT single;
  VariantInit(&single);
  single.vt = VT_R4;
  single.fltVal = 0.1f;
  WideString text;
  ASSERT_EQ(TextOf(single, &text), S_OK);
  EXPECT_EQ(text, OLESTR("0.1"));
  VARIANT integer;
  VariantInit(&integer);
  integer.vt = VT_UI4;
  integer.ulVal = 4000000000u;
  ASSERT_EQ(TextOf(integer, &text), S_OK);
  EXPECT_EQ(text, OLESTR("4000000000"));
}

TEST(VariantChangeType, CurrencyKeepsFourDecimals) {
  OwnedVariant r;
  ASSERT_EQ(FromText(OLESTR("12.34565"), VT_CY, &r), S_OK);
  EXPECT_EQ(r.Get().cyVal.int64, 123456);  // half to even in the fifth decimal
  WideString text;
  ASSERT_EQ(TextOf(r.Get(), &text), S_OK);
  EXPECT_EQ(text, OLESTR("12.3456"));
  OwnedVariant integer;
  ASSERT_EQ(VariantChangeType(integer.Mutable(), &r.Get(), 0, VT_I4), S_OK);
  EXPECT_EQ(integer.Get().lVal, 12);
  for (const auto& [scaled, rounded] :
       {std::pair{25000LL, 2}, std::pair{35000LL, 4}, std::pair{-25000LL, -2},
        std::pair{-35001LL, -4}, std::pair{24999LL, 2}}) {
    VARIANT currency;
    VariantInit(&currency);
    currency.vt = VT_CY;
    currency.cyVal.int64 = scaled;
    ASSERT_EQ(VariantChangeType(integer.Mutable(), &currency, 0, VT_I2), S_OK);
    EXPECT_EQ(integer.Get().iVal, rounded) << scaled;
  }
  VARIANT small;
  VariantInit(&small);
  small.vt = VT_CY;
  small.cyVal.int64 = -5;
  ASSERT_EQ(TextOf(small, &text), S_OK);
  EXPECT_EQ(text, OLESTR("-0.0005"));
}

TEST(VariantChangeType, DatesToAndFromText) {
  OwnedVariant date;
  ASSERT_EQ(FromText(OLESTR("2024-03-05 14:30:15"), VT_DATE, &date), S_OK);
  SYSTEMTIME t;
  ASSERT_TRUE(VariantTimeToSystemTime(date.Get().date, &t));
  EXPECT_EQ(t.wYear, 2024);
  EXPECT_EQ(t.wMonth, 3);
  EXPECT_EQ(t.wDay, 5);
  EXPECT_EQ(t.wHour, 14);
  EXPECT_EQ(t.wMinute, 30);
  EXPECT_EQ(t.wSecond, 15);
  WideString text;
  ASSERT_EQ(TextOf(date.Get(), &text), S_OK);
  EXPECT_EQ(text, OLESTR("03/05/2024 14:30:15"));

  const WCHAR* sameMoment[] = {OLESTR("2024/3/5 14:30:15"), OLESTR("3/5/2024 2:30:15 PM"),
                               OLESTR("2024-03-05T14:30:15"), OLESTR(" 03/05/24 14:30:15 ")};
  for (const WCHAR* form : sameMoment) {
    OwnedVariant other;
    ASSERT_EQ(FromText(form, VT_DATE, &other), S_OK);
    EXPECT_DOUBLE_EQ(other.Get().date, date.Get().date);
  }
  OwnedVariant midnight;
  ASSERT_EQ(FromText(OLESTR("2024-03-05"), VT_DATE, &midnight), S_OK);
  ASSERT_EQ(TextOf(midnight.Get(), &text), S_OK);
  EXPECT_EQ(text, OLESTR("03/05/2024"));
  OwnedVariant timeOnly;
  ASSERT_EQ(FromText(OLESTR("12:00 AM"), VT_DATE, &timeOnly), S_OK);
  EXPECT_EQ(timeOnly.Get().date, 0.0);
  ASSERT_EQ(TextOf(timeOnly.Get(), &text), S_OK);
  EXPECT_EQ(text, OLESTR("00:00:00"));
}

TEST(VariantChangeType, TheSystemsOwnDateFormIsRead) {
  OwnedVariant date;
  ASSERT_EQ(FromText(OLESTR("2024-03-05 14:30:15 250"), VT_DATE, &date), S_OK);
  OwnedVariant plain;
  ASSERT_EQ(FromText(OLESTR("2024-03-05 14:30:15"), VT_DATE, &plain), S_OK);
  EXPECT_NEAR((date.Get().date - plain.Get().date) * 86400.0, 0.25, 1e-6);
}

TEST(VariantChangeType, MalformedDatesAreRefused) {
  for (const WCHAR* text :
       {OLESTR("2024-02-30"), OLESTR("2024-13-01"), OLESTR("13/01/2024"), OLESTR("25:00"),
        OLESTR("10:61"), OLESTR("13:00 PM"), OLESTR("0099-01-01"), OLESTR("45000"),
        OLESTR("yesterday"), OLESTR("2024-03-05 14:30:15 25"), OLESTR("2024-03-05x")}) {
    OwnedVariant r;
    EXPECT_EQ(FromText(text, VT_DATE, &r), DISP_E_TYPEMISMATCH);
  }
}

TEST(VariantChangeType, NumbersBecomeDatesWithinTheirRange) {
  OwnedVariant r;
  VARIANT day = Real(45000.5);
  ASSERT_EQ(VariantChangeType(r.Mutable(), &day, 0, VT_DATE), S_OK);
  EXPECT_EQ(r.Get().date, 45000.5);
  VARIANT beyond = Real(2958466.0);
  EXPECT_EQ(VariantChangeType(r.Mutable(), &beyond, 0, VT_DATE), DISP_E_OVERFLOW);
}

TEST(VariantChangeType, ConvertsInPlaceAndThroughReferences) {
  OwnedVariant value = OwnedVariant::FromText(OLESTR("42"));
  ASSERT_EQ(VariantChangeType(value.Mutable(), &value.Get(), 0, VT_I4), S_OK);
  EXPECT_EQ(value.Type(), VT_I4);
  EXPECT_EQ(value.Get().lVal, 42);

  BSTR text = SysAllocString(OLESTR("2.5"));
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = VT_BYREF | VT_BSTR;
  reference.pbstrVal = &text;
  OwnedVariant result;
  ASSERT_EQ(VariantChangeType(result.Mutable(), &reference, 0, VT_R8), S_OK);
  EXPECT_EQ(result.Get().dblVal, 2.5);
  EXPECT_EQ(BstrView(text), OLESTR("2.5"));  // the referenced string is untouched
  SysFreeString(text);
}

TEST(VariantChangeType, EmptyNullAndOtherTypes) {
  OwnedVariant empty;
  OwnedVariant r;
  ASSERT_EQ(VariantChangeType(r.Mutable(), &empty.Get(), 0, VT_I4), S_OK);
  EXPECT_EQ(r.Get().lVal, 0);
  ASSERT_EQ(VariantChangeType(r.Mutable(), &empty.Get(), 0, VT_BSTR), S_OK);
  EXPECT_TRUE(BstrView(r.Get().bstrVal).empty());
  VARIANT null;
  VariantInit(&null);
  null.vt = VT_NULL;
  EXPECT_EQ(VariantChangeType(r.Mutable(), &null, 0, VT_I4), DISP_E_TYPEMISMATCH);
  VARIANT error;
  VariantInit(&error);
  error.vt = VT_ERROR;
  error.scode = E_FAIL;
  EXPECT_EQ(VariantChangeType(r.Mutable(), &error, 0, VT_BSTR), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(VariantChangeType(r.Mutable(), &error, 0, VT_DECIMAL), DISP_E_BADVARTYPE);
  OwnedVariant text = OwnedVariant::FromText(OLESTR("1"));
  EXPECT_EQ(VariantChangeType(r.Mutable(), &text.Get(), 0, VT_ARRAY | VT_I4), DISP_E_TYPEMISMATCH);
  ASSERT_EQ(VariantChangeType(r.Mutable(), &text.Get(), 0, VT_EMPTY), S_OK);
  EXPECT_EQ(r.Type(), VT_EMPTY);
}

}  // namespace

}  // namespace tavrel
