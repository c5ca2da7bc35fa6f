// BSTRs, task memory strings and the code page calls.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/bstr_view.h"
#include "platform/com/com_api.h"

namespace tavrel {

namespace {

// "温度传感器" in GBK bytes, UTF-16 and UTF-8.
const std::string kGbk = "\xCE\xC2\xB6\xC8\xB4\xAB\xB8\xD0\xC6\xF7";
const WideString kWide = OLESTR("\u6E29\u5EA6\u4F20\u611F\u5668");
const std::string kUtf8 = "\xE6\xB8\xA9\xE5\xBA\xA6\xE4\xBC\xA0\xE6\x84\x9F\xE5\x99\xA8";

WideString ToWide(UINT codePage, const std::string& text) {
  const int needed = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
  WideString wide(static_cast<size_t>(needed), OLESTR('\0'));
  EXPECT_EQ(MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), needed), needed);
  wide.pop_back();  // the converted NUL
  return wide;
}

std::string FromWide(UINT codePage, const WideString& text) {
  const int needed =
      WideCharToMultiByte(codePage, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(needed), '\0');
  EXPECT_EQ(
      WideCharToMultiByte(codePage, 0, text.c_str(), -1, narrow.data(), needed, nullptr, nullptr),
      needed);
  narrow.pop_back();
  return narrow;
}

TEST(Bstr, ChineseTextRoundTripsThroughTheSystemCodePage) {
  const size_t before = BstrsInUse();
  const WideString wide = ToWide(CP_ACP, kGbk);
  EXPECT_EQ(wide, kWide);
  BSTR text = SysAllocString(wide.c_str());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(SysStringByteLen(text), 10u);
  EXPECT_EQ(FromWide(CP_ACP, WideString(BstrView(text))), kGbk);
  EXPECT_EQ(FromWide(CP_UTF8, WideString(BstrView(text))), kUtf8);
  SysFreeString(text);
  EXPECT_EQ(BstrsInUse(), before);
}

TEST(Bstr, KeepsEmbeddedNulsAndItsTerminator) {
  const OLECHAR source[] = {OLESTR('a'), OLESTR('\0'), OLESTR('b')};
  BSTR text = SysAllocStringLen(source, 3);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(text[3], OLESTR('\0'));
  EXPECT_EQ(BstrView(text), WideStringView(source, 3));
  ASSERT_TRUE(SysReAllocString(&text, OLESTR("longer text")));
  EXPECT_EQ(BstrView(text), OLESTR("longer text"));
  SysFreeString(text);
}

TEST(Bstr, NullIsTheEmptyString) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_TRUE(BstrView(nullptr).empty());
  SysFreeString(nullptr);
  BSTR zeroed = SysAllocStringLen(nullptr, 2);
  EXPECT_EQ(zeroed[0], OLESTR('\0'));
  EXPECT_EQ(SysStringLen(zeroed), 2u);
  SysFreeString(zeroed);
}

TEST(CodePage, SizeQueriesAndShortBuffersFollowWindowsRules) {
  // An explicit length does not include a NUL.
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kGbk.data(), static_cast<int>(kGbk.size()), nullptr, 0),
            5);
  WCHAR small[3];
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kGbk.c_str(), -1, small, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, kGbk.c_str(), 0, small, 3), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  char narrow[4];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, kWide.c_str(), -1, narrow, 4, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(CodePage, InvalidInputIsReplacedOrRefusedOnRequest) {
  const std::string cut = "a\xB0";  // a double-byte character cut in half
  EXPECT_EQ(ToWide(CP_ACP, cut), OLESTR("a\uFFFD"));
  WCHAR out[8];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, cut.c_str(), -1, out, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);

  const WideString loneSurrogate = OLESTR("x\xD800y");
  EXPECT_EQ(FromWide(CP_UTF8, loneSurrogate), "x\xEF\xBF\xBDy");
  char narrow[16];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, loneSurrogate.c_str(), -1, narrow,
                                16, nullptr, nullptr),
            0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePage, UnrepresentableCharactersUseTheDefaultCharacter) {
  const WideString thai = OLESTR("a\u0E01b");
  char narrow[16] = {};
  BOOL usedDefault = FALSE;
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, thai.c_str(), -1, narrow, 16, nullptr, &usedDefault), 4);
  EXPECT_STREQ(narrow, "a?b");
  EXPECT_TRUE(usedDefault);
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, thai.c_str(), -1, narrow, 16, "*", &usedDefault), 4);
  EXPECT_STREQ(narrow, "a*b");
  // UTF-8 represents everything and takes no default character.
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, thai.c_str(), -1, narrow, 16, nullptr, &usedDefault),
            0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

}  // namespace

}  // namespace tavrel
