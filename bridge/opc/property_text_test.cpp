#include "bridge/opc/property_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "common/wide_string.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

VARIANT Of(VARTYPE vt, std::uint64_t bits) {
  VARIANT value{};
  value.vt = vt;
  value.ullVal = bits;
  return value;
}

TEST(PropertyText, IntegersArePrintedInFullWithTheirSign) {
  EXPECT_EQ(PropertyText(Of(VT_I2, 0xFFFF)), "-1");
  EXPECT_EQ(PropertyText(Of(VT_UI2, 0xFFFF)), "65535");
  EXPECT_EQ(PropertyText(Of(VT_I4, 0xFFFFFFFF)), "-1");
  EXPECT_EQ(PropertyText(Of(VT_UI4, 0xFFFFFFFF)), "4294967295");
  EXPECT_EQ(PropertyText(Of(VT_UINT, 3000000000u)), "3000000000");
  EXPECT_EQ(PropertyText(Of(VT_I8, 0x8000000000000000ull)), "-9223372036854775808");
  EXPECT_EQ(PropertyText(Of(VT_UI8, 0xFFFFFFFFFFFFFFFFull)), "18446744073709551615");
  EXPECT_EQ(PropertyText(Of(VT_I1, 0xFF)), "-1");
  EXPECT_EQ(PropertyText(Of(VT_UI1, 0xFF)), "255");
}

TEST(PropertyText, RealsDatesBooleansTextsAndOthers) {
  VARIANT real{};
  real.vt = VT_R8;
  real.dblVal = 12.5;
  EXPECT_EQ(PropertyText(real), "12.5");
  real.vt = VT_R4;
  real.fltVal = 0.25f;
  EXPECT_EQ(PropertyText(real), "0.25");
  VARIANT date{};
  date.vt = VT_DATE;
  date.date = 45000.5;  // 2023-03-15 12:00
  EXPECT_EQ(PropertyText(date), "2023-03-15 12:00:00 000");
  EXPECT_EQ(PropertyText(Of(VT_BOOL, 0xFFFF)), "1");
  EXPECT_EQ(PropertyText(Of(VT_BOOL, 0)), "0");
  VARIANT text{};
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(OLESTR("温度"));
  EXPECT_EQ(PropertyText(text), "温度");
  VariantClear(&text);
  EXPECT_EQ(PropertyText(Of(VT_CY, 1)), "?");
  EXPECT_EQ(PropertyText(Of(VT_EMPTY, 0)), "?");
}

TEST(PropertyText, ArraysJoinTheirElements) {
  VARIANT array{};
  array.vt = VT_ARRAY | VT_UI4;
  array.parray = SafeArrayCreateVector(VT_UI4, 0, 3);
  ULONG* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array.parray, reinterpret_cast<void**>(&data)), S_OK);
  data[0] = 1;
  data[1] = 4000000000u;
  data[2] = 3;
  SafeArrayUnaccessData(array.parray);
  EXPECT_EQ(PropertyText(array), "1, 4000000000, 3");
  VariantClear(&array);

  array.vt = VT_ARRAY | VT_BSTR;
  array.parray = SafeArrayCreateVector(VT_BSTR, 1, 2);
  LONG index = 1;
  BSTR first = SysAllocString(OLESTR("a"));
  BSTR second = SysAllocString(OLESTR("b"));
  SafeArrayPutElement(array.parray, &index, first);
  index = 2;
  SafeArrayPutElement(array.parray, &index, second);
  SysFreeString(first);
  SysFreeString(second);
  EXPECT_EQ(PropertyText(array), "a, b");
  VariantClear(&array);

  // Elements wider than any scalar show "?"; a referenced array is not read as an array.
  array.vt = VT_ARRAY | VT_VARIANT;
  array.parray = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  EXPECT_EQ(PropertyText(array), "?, ?");
  SAFEARRAY* referenced = array.parray;
  VARIANT byReference{};
  byReference.vt = VT_BYREF | VT_ARRAY | VT_I4;
  byReference.pparray = &referenced;
  EXPECT_EQ(PropertyText(byReference), "?");
  VariantClear(&array);
}

// Integers named as strings are not followed as pointers, narrower elements not read past.
TEST(PropertyText, ArraysOfAnotherElementTypeShowAQuestionMarkPerElement) {
  VARIANT array{};
  array.parray = SafeArrayCreateVector(VT_I4, 0, 2);
  LONG* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array.parray, reinterpret_cast<void**>(&data)), S_OK);
  data[0] = 0x1234;
  data[1] = -1;
  SafeArrayUnaccessData(array.parray);
  for (const VARTYPE named : {VT_BSTR, VT_R8, VT_UI4}) {
    array.vt = static_cast<VARTYPE>(VT_ARRAY | named);
    EXPECT_EQ(PropertyText(array), "?, ?") << named;
  }
  array.vt = VT_ARRAY | VT_I4;
  VariantClear(&array);
}

}  // namespace

}  // namespace tavrel
