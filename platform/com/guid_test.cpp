#include <gtest/gtest.h>

#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/com_api.h"
#include "platform/com/guid_text.h"

namespace tavrel {

namespace {

constexpr GUID kServerList = {
    0x13486D51, 0x4821, 0x11D2, {0xA4, 0x94, 0x3C, 0xB3, 0x06, 0xC1, 0x00, 0x00}};

TEST(Guid, RegistryFormRoundTripsThroughTaskMemory) {
  const size_t blocksBefore = TaskMemoryBlocksInUse();
  LPOLESTR text = nullptr;
  ASSERT_EQ(StringFromCLSID(kServerList, &text), S_OK);
  EXPECT_EQ(WideString(text), OLESTR("{13486D51-4821-11D2-A494-3CB306C10000}"));
  CLSID parsed;
  EXPECT_EQ(CLSIDFromString(text, &parsed), S_OK);
  EXPECT_EQ(parsed, kServerList);
  CoTaskMemFree(text);
  EXPECT_EQ(TaskMemoryBlocksInUse(), blocksBefore);
}

TEST(Guid, LowerCaseTextIsRead) {
  CLSID parsed;
  ASSERT_EQ(CLSIDFromString(OLESTR("{13486d51-4821-11d2-a494-3cb306c10000}"), &parsed), S_OK);
  EXPECT_EQ(parsed, kServerList);
  EXPECT_EQ(GuidToString(parsed), "{13486D51-4821-11D2-A494-3CB306C10000}");
}

TEST(Guid, MalformedTextIsRefusedAndLeavesTheNullClsid) {
  const WCHAR* malformed[] = {
      OLESTR(""),
      OLESTR("13486D51-4821-11D2-A494-3CB306C10000"),     // no braces
      OLESTR("{13486D51-4821-11D2-A494-3CB306C1000}"),    // one digit short
      OLESTR("{13486D51-4821-11D2-A494-3CB306C100000}"),  // one digit too many
      OLESTR("{13486D51-4821-11D2-A4943-CB306C10000}"),   // dash misplaced
      OLESTR("{13486D51-4821-11D2-A494-3CB306C1000G}"),   // not hexadecimal
      OLESTR("{13486D51 4821-11D2-A494-3CB306C10000}"),   // blank for dash
      OLESTR(" {13486D51-4821-11D2-A494-3CB306C10000}"),  // leading blank
      OLESTR("No.Such.ProgId.1"),                         // a ProgID of no class
  };
  for (const WCHAR* text : malformed) {
    CLSID parsed = kServerList;
    EXPECT_EQ(CLSIDFromString(text, &parsed), CO_E_CLASSSTRING) << GuidToString(parsed);
    EXPECT_EQ(parsed, CLSID_NULL);
    IID iid;
    EXPECT_EQ(IIDFromString(text, &iid), E_INVALIDARG);
  }
}

TEST(Guid, NullTextIsTheNullClsid) {
  CLSID parsed = kServerList;
  EXPECT_EQ(CLSIDFromString(nullptr, &parsed), S_OK);
  EXPECT_EQ(parsed, CLSID_NULL);
}

TEST(Guid, StringFromGuid2NeedsRoomForTheNul) {
  OLECHAR buffer[kGuidStringSize];
  EXPECT_EQ(StringFromGUID2(kServerList, buffer, kGuidStringSize - 1), 0);
  ASSERT_EQ(StringFromGUID2(kServerList, buffer, kGuidStringSize), kGuidStringSize);
  EXPECT_EQ(WideString(buffer), OLESTR("{13486D51-4821-11D2-A494-3CB306C10000}"));
}

TEST(Guid, NarrowParserAgreesWithTheWideOne) {
  GUID narrow;
  GUID wide;
  ASSERT_TRUE(ParseGuid(std::string_view("{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}"), &narrow));
  ASSERT_TRUE(ParseGuid(WideStringView(OLESTR("{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}")), &wide));
  EXPECT_EQ(narrow, wide);
  EXPECT_EQ(narrow.Data1, 0x63D5F432u);
  EXPECT_EQ(narrow.Data4[7], 0xFB);
  EXPECT_FALSE(ParseGuid(std::string_view("{63D5F432-CFE4-11D1-B2C8-0060083BA1F}"), &narrow));
}

}  // namespace

}  // namespace tavrel
