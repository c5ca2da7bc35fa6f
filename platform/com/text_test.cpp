// BSTRs, task memory strings and the code page calls.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/com/bstr.h"
#include "platform/com/code_page_api.h"
#include "platform/com/last_error.h"

namespace tavrel {

namespace {

// "温度传感器" in GBK bytes, UTF-16 and UTF-8.
const std::string kGbk = "\xCE\xC2\xB6\xC8\xB4\xAB\xB8\xD0\xC6\xF7";
const std::u16string kWide = u"\u6E29\u5EA6\u4F20\u611F\u5668";
const std::string kUtf8 = "\xE6\xB8\xA9\xE5\xBA\xA6\xE4\xBC\xA0\xE6\x84\x9F\xE5\x99\xA8";

std::u16string ToWide(UINT codePage, const std::string& text) {
  const int needed = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
  std::u16string wide(static_cast<size_t>(needed), u'\0');
  EXPECT_EQ(MultiByteToWideChar(codePage, 0, text.c_str(), -1, wide.data(), needed), needed);
  wide.pop_back();  // the converted NUL
  return wide;
}

std::string FromWide(UINT codePage, const std::u16string& text) {
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
  const std::u16string wide = ToWide(CP_ACP, kGbk);
  EXPECT_EQ(wide, kWide);
  BSTR text = SysAllocString(wide.c_str());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(SysStringByteLen(text), 10u);
  EXPECT_EQ(FromWide(CP_ACP, std::u16string(BstrView(text))), kGbk);
  EXPECT_EQ(FromWide(CP_UTF8, std::u16string(BstrView(text))), kUtf8);
  SysFreeString(text);
  EXPECT_EQ(BstrsInUse(), before);
}

TEST(Bstr, KeepsEmbeddedNulsAndItsTerminator) {
  const OLECHAR source[] = {u'a', u'\0', u'b'};
  BSTR text = SysAllocStringLen(source, 3);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(text[3], u'\0');
  EXPECT_EQ(BstrView(text), std::u16string_view(source, 3));
  ASSERT_TRUE(SysReAllocString(&text, u"longer text"));
  EXPECT_EQ(BstrView(text), u"longer text");
  SysFreeString(text);
}

TEST(Bstr, NullIsTheEmptyString) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_TRUE(BstrView(nullptr).empty());
  SysFreeString(nullptr);
  BSTR zeroed = SysAllocStringLen(nullptr, 2);
  EXPECT_EQ(zeroed[0], u'\0');
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
  EXPECT_EQ(ToWide(CP_ACP, cut), u"a\uFFFD");
  WCHAR out[8];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, cut.c_str(), -1, out, 8), 0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);

  const std::u16string loneSurrogate = u"x\xD800y";
  EXPECT_EQ(FromWide(CP_UTF8, loneSurrogate), "x\xEF\xBF\xBDy");
  char narrow[16];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, loneSurrogate.c_str(), -1, narrow,
                                16, nullptr, nullptr),
            0);
  EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodePage, UnrepresentableCharactersUseTheDefaultCharacter) {
  const std::u16string thai = u"a\u0E01b";
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
