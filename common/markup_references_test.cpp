#include "common/markup_references.h"

#include <gtest/gtest.h>

#include "common/markup_escape.h"
#include "common/markup_result.h"

namespace tavrel {

namespace {

// GBK bytes, spelled out so the test does not depend on how literals are compiled.
const std::string kGbkBan = "\xB0\xE6";           // U+7248
const std::string kGbkSmallAlpha = "\xA6\xC1";    // U+03B1
const std::string kGbkCapitalAlpha = "\xA6\xA1";  // U+0391
const std::string kGbkSmallEAcute = "\xA8\xA6";   // U+00E9

std::string Full(std::string_view value) {
  return ResolveMarkupReferences(value, MarkupBuild::kFull);
}
std::string Bridge(std::string_view value) {
  return ResolveMarkupReferences(value, MarkupBuild::kBridge);
}

TEST(MarkupReferences, FullBuildResolvesNamedAndNumericReferences) {
  EXPECT_EQ(Full("&lt;&#65;&#x42;&unknown;"), "<AB&unknown;");
  EXPECT_EQ(Full("&amp;&gt;&apos;&quot;"), "&>'\"");
  EXPECT_EQ(Full("&#X43;&#x7248;&#29256;"), "C" + kGbkBan + kGbkBan);
  EXPECT_EQ(Full("&le;&alpha;&eacute;"), "\xA1\xDC" + kGbkSmallAlpha + kGbkSmallEAcute);
  EXPECT_EQ(Full(kGbkBan + "&amp;" + kGbkBan), kGbkBan + "&" + kGbkBan);
}

TEST(MarkupReferences, FullBuildMatchesNamesWithoutCaseOnlyWhenTheSpellingIsUnknown) {
  EXPECT_EQ(Full("&Alpha;"), kGbkCapitalAlpha);
  EXPECT_EQ(Full("&alpha;"), kGbkSmallAlpha) << "an exact spelling keeps its own character";
  EXPECT_EQ(Full("&ALPHA;"), kGbkCapitalAlpha) << "otherwise the capital name answers";
  EXPECT_EQ(Full("&LT;&Amp;"), "<&");
}

TEST(MarkupReferences, FullBuildKeepsWhatItCannotResolve) {
  for (const char* kept : {
           "&#x0E01;",    // no GBK character
           "&Eacute;",    // no GBK character
           "&nbsp;",      // no GBK character
           "&#0;",        // not a character
           "&#xD800;",    // a surrogate
           "&#x110000;",  // beyond Unicode
           "&#99999999999;", "&#;", "&#x;", "&#12a;", "&;", "&amp", "& amp;",
           "&#000000065;",  // ten characters between "&" and ";"
       }) {
    EXPECT_EQ(Full(kept), kept);
  }
  EXPECT_EQ(Full("&#00000065;"), "A") << "nine characters";
  EXPECT_EQ(Full("a & b &lt; c"), "a & b < c");
  EXPECT_EQ(Full("&&lt;"), "&<");
}

TEST(MarkupReferences, BridgeBuildKnowsOnlyTheEscapesAndNumericReferences) {
  EXPECT_EQ(Bridge("&lt;&gt;&amp;&apos;&quot;"), "<>&'\"");
  EXPECT_EQ(Bridge("&#65;&#x42;&#x7248;"), "AB" + kGbkBan);
  EXPECT_EQ(Bridge("&#0000065;"), "A") << "seven characters after \"&#\"";
  for (const char* kept : {"&LT;", "&Amp;", "&nbsp;", "&alpha;", "&#X42;", "&#00000065;",
                           "&#x0E01;", "&#0;", "&#;", "&lt", "&unknown;"}) {
    EXPECT_EQ(Bridge(kept), kept);
  }
}

TEST(MarkupReferences, AttributeValuesAreResolvedPerBuild) {
  const std::string text = "<a v=\"&lt;&#65;&#x42;&unknown;&alpha;\"/>";
  MarkupDocument full(MarkupBuild::kFull);
  ASSERT_TRUE(full.SetText(text));
  ASSERT_TRUE(full.FindElement("a"));
  EXPECT_EQ(full.GetAttribute("v"), "<AB&unknown;" + kGbkSmallAlpha);
  MarkupDocument bridge(MarkupBuild::kBridge);
  ASSERT_TRUE(bridge.SetText(text));
  ASSERT_TRUE(bridge.FindElement("a"));
  EXPECT_EQ(bridge.GetAttribute("v"), "<AB&unknown;&alpha;");
}

TEST(MarkupEscape, EscapesTheSetOfItsUse) {
  EXPECT_EQ(EscapeMarkupText("a<&>'\"b", MarkupEscapeSet::kAttribute),
            "a&lt;&amp;&gt;&apos;&quot;b");
  EXPECT_EQ(EscapeMarkupText("a<&>'\"b", MarkupEscapeSet::kElementText), "a&lt;&amp;&gt;'\"b");
  EXPECT_EQ(EscapeMarkupText(kGbkBan + "&lt;", MarkupEscapeSet::kElementText),
            kGbkBan + "&amp;lt;");
  EXPECT_EQ(EscapeMarkupText("", MarkupEscapeSet::kAttribute), "");
}

TEST(MarkupEscape, ResultRecordsEscapeTheirValues) {
  std::string results;
  AppendMarkupResult(results, "file_error", {{"text", "can't open <x> & \"y\""}});
  EXPECT_EQ(results, "<file_error text=\"can&apos;t open &lt;x&gt; &amp; &quot;y&quot;\"/>");
}

}  // namespace

}  // namespace tavrel
