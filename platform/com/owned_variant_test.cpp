// OwnedVariant: one owner per value, deep copies, and nothing freed twice or left behind.
#include "platform/com/owned_variant.h"

#include <gtest/gtest.h>

#include <utility>

#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"
#include "platform/com/test_objects.h"

namespace tavrel {

namespace {

TEST(OwnedVariant, CopiesAreDeepAndEachOwnerFreesItsOwn) {
  const std::size_t strings = BstrsInUse();
  {
    const OwnedVariant original = OwnedVariant::FromText(OLESTR("value"));
    OwnedVariant copy = original;
    EXPECT_NE(copy.Get().bstrVal, original.Get().bstrVal);
    EXPECT_EQ(BstrView(copy.Get().bstrVal), OLESTR("value"));
    EXPECT_EQ(BstrsInUse(), strings + 2);

    copy = OwnedVariant::FromText(OLESTR("other"));  // frees the string it held
    EXPECT_EQ(BstrsInUse(), strings + 2);
    copy = original;
    EXPECT_EQ(BstrView(copy.Get().bstrVal), OLESTR("value"));
    EXPECT_EQ(BstrsInUse(), strings + 2);

    const OwnedVariant fromVariant(original.Get());
    EXPECT_NE(fromVariant.Get().bstrVal, original.Get().bstrVal);
    EXPECT_EQ(BstrsInUse(), strings + 3);
  }
  EXPECT_EQ(BstrsInUse(), strings);
}

TEST(OwnedVariant, MovesAndMoveToHandTheValueOverAndLeaveItEmpty) {
  const std::size_t strings = BstrsInUse();
  OwnedVariant first = OwnedVariant::FromText(OLESTR("moved"));
  const BSTR text = first.Get().bstrVal;

  OwnedVariant second(std::move(first));
  EXPECT_EQ(first.Type(), VT_EMPTY);  // a moved-from owner is empty
  EXPECT_EQ(second.Get().bstrVal, text);

  OwnedVariant third = OwnedVariant::FromDouble(1.0);
  third = std::move(second);
  EXPECT_EQ(third.Get().bstrVal, text);

  VARIANT out;
  VariantInit(&out);
  third.MoveTo(&out);
  EXPECT_EQ(third.Type(), VT_EMPTY);
  EXPECT_EQ(out.vt, VT_BSTR);
  EXPECT_EQ(out.bstrVal, text);
  EXPECT_EQ(BstrsInUse(), strings + 1) << "the string now belongs to `out` alone";
  VariantClear(&out);
  EXPECT_EQ(BstrsInUse(), strings);
}

TEST(OwnedVariant, EachCopyHoldsItsOwnInterfaceReference) {
  ComPtr<CountedObject> object = MakeComObject<CountedObject>();
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = VT_UNKNOWN;
  reference.punkVal = object.Get();
  {
    const OwnedVariant owner(reference);
    const OwnedVariant copy = owner;
    EXPECT_EQ(ReferencesOf(object.Get()), 3u);
  }
  EXPECT_EQ(ReferencesOf(object.Get()), 1u);
}

TEST(OwnedVariant, MadeFromNumbersBooleansAndText) {
  const OwnedVariant real = OwnedVariant::FromDouble(2.5);
  EXPECT_EQ(real.Type(), VT_R8);
  EXPECT_EQ(real.Get().dblVal, 2.5);
  EXPECT_EQ(OwnedVariant::FromBool(true).Type(), VT_BOOL);
  EXPECT_EQ(OwnedVariant::FromBool(true).Get().boolVal, VARIANT_TRUE);
  EXPECT_EQ(OwnedVariant::FromBool(false).Get().boolVal, VARIANT_FALSE);
  // Text keeps embedded NULs.
  const OwnedVariant text = OwnedVariant::FromText(WideStringView(OLESTR("a\0b"), 3));
  EXPECT_EQ(text.Type(), VT_BSTR);
  EXPECT_EQ(BstrView(text.Get().bstrVal), WideStringView(OLESTR("a\0b"), 3));
}

TEST(OwnedVariant, AValueOfATypeTheRuntimeDoesNotHoldBecomesEmpty) {
  VARIANT unknownType;
  VariantInit(&unknownType);
  unknownType.vt = 0x0FFF;
  EXPECT_EQ(OwnedVariant(unknownType).Type(), VT_EMPTY);
}

}  // namespace

}  // namespace tavrel
