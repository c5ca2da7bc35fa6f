// VARIANT and SAFEARRAY memory rules.
#include <gtest/gtest.h>

#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"
#include "platform/com/test_objects.h"
#include "platform/com/variant_types.h"

namespace tavrel {

namespace {

TEST(Variant, CopyIsDeepAndClearFreesEverything) {
  const size_t strings = BstrsInUse();
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(OLESTR("value"));
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_EQ(copy.vt, VT_BSTR);
  EXPECT_NE(copy.bstrVal, source.bstrVal);
  EXPECT_EQ(BstrView(copy.bstrVal), OLESTR("value"));
  EXPECT_EQ(BstrsInUse(), strings + 2);

  // Copying over a variant that holds a string frees that string first.
  ASSERT_EQ(VariantCopy(&copy, &source), S_OK);
  EXPECT_EQ(BstrsInUse(), strings + 2);

  EXPECT_EQ(VariantClear(&copy), S_OK);
  EXPECT_EQ(copy.vt, VT_EMPTY);
  EXPECT_EQ(VariantClear(&source), S_OK);
  EXPECT_EQ(BstrsInUse(), strings);
}

TEST(Variant, InterfaceReferencesAreCountedByCopyAndClear) {
  ComPtr<CountedObject> object = MakeComObject<CountedObject>();
  VARIANT first;
  VariantInit(&first);
  first.vt = VT_UNKNOWN;
  first.punkVal = object.Get();
  object->AddRef();
  VARIANT second;
  VariantInit(&second);
  ASSERT_EQ(VariantCopy(&second, &first), S_OK);
  EXPECT_EQ(ReferencesOf(object.Get()), 3u);
  VariantClear(&first);
  VariantClear(&second);
  EXPECT_EQ(ReferencesOf(object.Get()), 1u);
}

TEST(Variant, ReferencesAreCopiedAsReferencesAndNotFreed) {
  LONG value = 7;
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = VT_BYREF | VT_I4;
  reference.plVal = &value;
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &reference), S_OK);
  EXPECT_EQ(copy.plVal, &value);
  EXPECT_EQ(VariantClear(&copy), S_OK);
  EXPECT_EQ(value, 7);
}

TEST(Variant, TypesThisRuntimeDoesNotHoldAreRefused) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_DECIMAL;
  EXPECT_EQ(VariantClear(&v), DISP_E_BADVARTYPE);
  EXPECT_EQ(v.vt, VT_DECIMAL);
  v.vt = 0x0FFF;
  VARIANT copy;
  VariantInit(&copy);
  EXPECT_EQ(VariantCopy(&copy, &v), DISP_E_BADVARTYPE);
  EXPECT_FALSE(IsSupportedVariantType(VT_ARRAY | VT_EMPTY));
  EXPECT_TRUE(IsSupportedVariantType(VT_ARRAY | VT_VARIANT));
  EXPECT_FALSE(IsSupportedVariantType(VT_VARIANT));
}

TEST(SafeArray, VectorBoundsAndElementsOfEveryKind) {
  SAFEARRAY* numbers = SafeArrayCreateVector(VT_I2, 1, 3);
  ASSERT_NE(numbers, nullptr);
  LONG lower = 0;
  LONG upper = 0;
  ASSERT_EQ(SafeArrayGetLBound(numbers, 1, &lower), S_OK);
  ASSERT_EQ(SafeArrayGetUBound(numbers, 1, &upper), S_OK);
  EXPECT_EQ(lower, 1);
  EXPECT_EQ(upper, 3);
  EXPECT_EQ(SafeArrayGetLBound(numbers, 2, &lower), DISP_E_BADINDEX);
  for (LONG i = 1; i <= 3; ++i) {
    SHORT value = static_cast<SHORT>(i * 10);
    ASSERT_EQ(SafeArrayPutElement(numbers, &i, &value), S_OK);
  }
  LONG outside = 4;
  SHORT value = 0;
  EXPECT_EQ(SafeArrayGetElement(numbers, &outside, &value), DISP_E_BADINDEX);
  LONG second = 2;
  ASSERT_EQ(SafeArrayGetElement(numbers, &second, &value), S_OK);
  EXPECT_EQ(value, 20);
  VARTYPE vt = VT_EMPTY;
  ASSERT_EQ(SafeArrayGetVartype(numbers, &vt), S_OK);
  EXPECT_EQ(vt, VT_I2);
  EXPECT_EQ(SafeArrayGetElemsize(numbers), 2u);
  EXPECT_EQ(SafeArrayDestroy(numbers), S_OK);
}

TEST(SafeArray, StringElementsAreCopiedInAndOutAndFreedWithTheArray) {
  const size_t strings = BstrsInUse();
  SAFEARRAY* texts = SafeArrayCreateVector(VT_BSTR, 0, 2);
  ASSERT_NE(texts, nullptr);
  BSTR mine = SysAllocString(OLESTR("first"));
  LONG index = 0;
  ASSERT_EQ(SafeArrayPutElement(texts, &index, mine), S_OK);  // a BSTR is passed itself
  ASSERT_EQ(SafeArrayPutElement(texts, &index, mine), S_OK);  // replaces (and frees) the copy
  SysFreeString(mine);
  BSTR out = nullptr;
  ASSERT_EQ(SafeArrayGetElement(texts, &index, &out), S_OK);
  EXPECT_EQ(BstrView(out), OLESTR("first"));
  SysFreeString(out);

  VARIANT holder;
  VariantInit(&holder);
  holder.vt = VT_ARRAY | VT_BSTR;
  holder.parray = texts;
  VARIANT copy;
  VariantInit(&copy);
  ASSERT_EQ(VariantCopy(&copy, &holder), S_OK);
  EXPECT_NE(copy.parray, texts);
  BSTR original = nullptr;
  BSTR copied = nullptr;
  ASSERT_EQ(SafeArrayGetElement(texts, &index, &original), S_OK);
  ASSERT_EQ(SafeArrayGetElement(copy.parray, &index, &copied), S_OK);
  EXPECT_EQ(BstrView(copied), OLESTR("first"));
  SysFreeString(original);
  SysFreeString(copied);
  VariantClear(&copy);
  VariantClear(&holder);
  EXPECT_EQ(BstrsInUse(), strings);
}

TEST(SafeArray, VariantAndInterfaceElementsKeepTheirOwnership) {
  std::atomic<int> destroyed{0};
  {
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 1);
    ComPtr<CountedObject> object = MakeComObject<CountedObject>(&destroyed);
    VARIANT element;
    VariantInit(&element);
    element.vt = VT_UNKNOWN;
    element.punkVal = object.Get();
    LONG index = 0;
    ASSERT_EQ(SafeArrayPutElement(array, &index, &element), S_OK);
    EXPECT_EQ(ReferencesOf(object.Get()), 2u);
    SAFEARRAY* copy = nullptr;
    ASSERT_EQ(SafeArrayCopy(array, &copy), S_OK);
    EXPECT_EQ(ReferencesOf(object.Get()), 3u);
    SafeArrayDestroy(copy);
    SafeArrayDestroy(array);
    EXPECT_EQ(ReferencesOf(object.Get()), 1u);
  }
  EXPECT_EQ(destroyed.load(), 1);
}

TEST(SafeArray, LockedArraysCannotBeDestroyed) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_R8, 0, 2);
  void* data = nullptr;
  ASSERT_EQ(SafeArrayAccessData(array, &data), S_OK);
  static_cast<double*>(data)[1] = 2.5;
  EXPECT_EQ(SafeArrayDestroy(array), DISP_E_ARRAYISLOCKED);
  ASSERT_EQ(SafeArrayUnaccessData(array), S_OK);
  EXPECT_EQ(SafeArrayUnlock(array), E_UNEXPECTED);
  LONG index = 1;
  double value = 0;
  ASSERT_EQ(SafeArrayGetElement(array, &index, &value), S_OK);
  EXPECT_EQ(value, 2.5);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);
}

TEST(SafeArray, OnlyOneDimensionAndKnownElementTypes) {
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
  EXPECT_EQ(SafeArrayCreate(VT_I4, 2, bounds), nullptr);
  EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
  SAFEARRAY* one = SafeArrayCreate(VT_I4, 1, bounds);
  ASSERT_NE(one, nullptr);
  EXPECT_EQ(SafeArrayGetDim(one), 1u);
  SafeArrayDestroy(one);
}

}  // namespace

}  // namespace tavrel
