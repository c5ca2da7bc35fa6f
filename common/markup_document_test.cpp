#include "common/markup_document.h"

#include <gtest/gtest.h>

#include "common/markup_result.h"
#include "common/markup_test_tree.h"

namespace tavrel {

namespace {

// A document using every kind of token, with ">" inside an attribute value and markup inside
// a comment and a CDATA section that must not be indexed.
const std::string kSample =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n"
    "<!DOCTYPE root [ <!ELEMENT root ANY> <!ATTLIST root id CDATA \"r>\"> ]>\r\n"
    "<root id=\"r\">\r\n"
    "<!-- <fake id=\"c\"/> -->\r\n"
    "<server id='s1' expr=\"a>b\">text<![CDATA[<fake id=\"d\"/>]]>\r\n"
    "<group id=\"g1\"><tag id=\"t1\"/><tag id=\"t2\" /></group>\r\n"
    "<?pi <fake id=\"p\"/> ?>\r\n"
    "</server>\r\n"
    "<server id=\"s2\"/>\r\n"
    "</root>\r\n";

TEST(MarkupDocument, IndexesElementsAndSkipsEveryOtherToken) {
  for (MarkupBuild build : {MarkupBuild::kFull, MarkupBuild::kBridge}) {
    MarkupDocument document(build);
    EXPECT_TRUE(document.SetText(kSample));
    EXPECT_TRUE(document.IsWellFormed());
    EXPECT_EQ(document.GetText(), kSample);
    EXPECT_EQ(document.GetResult(), "");
    EXPECT_EQ(DescribeElements(document), "r(s1(g1(t1,t2)),s2)");
  }
}

TEST(MarkupDocument, NavigatesByParentMainAndChildPositions) {
  MarkupDocument document;
  ASSERT_TRUE(document.SetText(kSample));
  EXPECT_FALSE(document.EnterElement()) << "no main element yet";
  EXPECT_FALSE(document.LeaveElement()) << "already at the top level";
  ASSERT_TRUE(document.FindElement("root"));
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.FindElement("server"));
  EXPECT_EQ(document.GetAttribute("expr"), "a>b");
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.FindElement("group"));
  ASSERT_TRUE(document.LeaveElement());
  EXPECT_EQ(document.GetAttribute("id"), "s1") << "leaving makes the parent the main element";
  ASSERT_TRUE(document.EnterElement());
  EXPECT_EQ(document.GetAttribute("id"), "g1") << "entering again resumes at the child left";
  EXPECT_FALSE(document.FindElement("group"));
  EXPECT_EQ(document.GetAttribute("id"), "g1") << "a failed find keeps the position";
  ASSERT_TRUE(document.ResetMainPosition());
  EXPECT_EQ(document.GetAttribute("id"), "");
  ASSERT_TRUE(document.FindElement());
  EXPECT_EQ(document.GetAttribute("id"), "g1");
  ASSERT_TRUE(document.LeaveElement());
  ASSERT_TRUE(document.LeaveElement());
  EXPECT_EQ(document.GetAttribute("id"), "r");
  EXPECT_FALSE(document.LeaveElement());
  EXPECT_EQ(document.GetAttribute("id"), "r") << "a failed leave changes nothing";
}

TEST(MarkupDocument, FindsWholeNamesCaseSensitively) {
  MarkupDocument document;
  ASSERT_TRUE(document.SetText("<r><ab id='1'/><A id='2'/><a\tid='3'/><a/></r>"));
  ASSERT_TRUE(document.FindElement("r"));
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.FindElement("a"));
  EXPECT_EQ(document.GetAttribute("id"), "3");
  ASSERT_TRUE(document.FindElement("a"));
  EXPECT_EQ(document.GetAttribute("id"), "");
  EXPECT_FALSE(document.FindElement("a"));
  document.ResetMainPosition();
  ASSERT_TRUE(document.FindElement("A"));
  EXPECT_EQ(document.GetAttribute("id"), "2");
  EXPECT_FALSE(document.FindElement("ab")) << "finding goes forward only";
}

TEST(MarkupDocument, ReadsAttributesOfEveryQuotingForm) {
  MarkupDocument document;
  ASSERT_TRUE(document.SetText("<a x = 'one' y=\"two 'q'\" flag z=bare w=\"\"/>"));
  ASSERT_TRUE(document.FindElement("a"));
  EXPECT_EQ(document.GetAttribute("x"), "one");
  EXPECT_EQ(document.GetAttribute("y"), "two 'q'");
  EXPECT_EQ(document.GetAttribute("z"), "bare");
  EXPECT_EQ(document.GetAttribute("flag"), "");
  EXPECT_EQ(document.GetAttribute("w"), "");
  EXPECT_EQ(document.GetAttribute("X"), "") << "attribute names are case-sensitive";
  EXPECT_EQ(document.GetAttribute("a"), "") << "the tag name is no attribute";
}

TEST(MarkupDocument, EachParseReplacesTextResultsAndPositions) {
  MarkupDocument document;
  EXPECT_FALSE(document.SetText("<a/><b/>"));
  EXPECT_TRUE(HasMarkupResult(document.GetResult(), "root_has_sibling"));
  ASSERT_TRUE(document.FindElement("b"));
  EXPECT_TRUE(document.SetText("<c id='1'/>"));
  EXPECT_EQ(document.GetResult(), "");
  EXPECT_EQ(document.GetAttribute("id"), "") << "positions start over";
  EXPECT_FALSE(document.FindElement("b"));
}

struct MalformedCase {
  const char* text;
  const char* walk;          // DescribeElements of what was recognised
  const char* fullResult;    // the result list of the full build
  const char* bridgeResult;  // the error text of the bridge build
};

const MalformedCase kMalformedCases[] = {
    {"", "", "", "Empty document"},
    {"just text", "", "<no_root_element/>", "No root element"},
    {"<a id='a'/><b id='b'/>", "a,b", "<root_has_sibling tagname=\"b\" offset=\"11\"/>",
     "Root element has sibling"},
    // b is not ended: a still closes, and b's children follow b.
    {"<a id='a'><b id='b'><c id='c'/></a>", "a(b,c)",
     "<unended_start_tag tagname=\"b\" offset=\"10\" offset2=\"31\"/>",
     "End tag 'a' at offset 31 does not match start tag 'b' at offset 10"},
    {"<a id='a'></x><b id='b'/></a>", "a(b)", "<lone_end_tag tagname=\"x\" offset=\"10\"/>",
     "No start tag for end tag 'x' at offset 10"},
    {"<a id='a'><b id='b'/>", "a,b",
     "<unended_start_tag tagname=\"a\" offset=\"0\" offset2=\"21\"/>"
     "<root_has_sibling tagname=\"b\" offset=\"10\"/>",
     "Element 'a' at offset 0 not ended, Root element has sibling"},
    {"<a id='a'>1 < 2</a>", "a", "<first_tag_syntax offset=\"12\"/>",
     "Incorrect tag name character at offset 12"},
    {"<a id='a'><!x></a>", "a", "<exclamation_tag_syntax offset=\"10\"/>",
     "Incorrect ! tag at offset 10"},
    {"<a id='a'><!-x--></a>", "a", "<comment_tag_syntax offset=\"10\"/>",
     "Incorrect comment tag at offset 10"},
    {"<a id='a'><![x]]></a>", "a", "<cdata_section_syntax offset=\"10\"/>",
     "Incorrect tag at offset 10"},
    {"<!DOCTYPE a [<!x>]><a id='a'/>", "a", "<doctype_tag_syntax offset=\"13\"/>",
     "Incorrect tag at offset 13"},
    {"<a id='a'><b id='b'/><!-- open", "a,b",
     "<unterminated_tag_syntax offset=\"21\"/>"
     "<unended_start_tag tagname=\"a\" offset=\"0\" offset2=\"30\"/>"
     "<root_has_sibling tagname=\"b\" offset=\"10\"/>",
     "Comment at offset 21 unterminated, Element 'a' at offset 0 not ended, "
     "Root element has sibling"},
    {"<a id='a'/><b id='b>", "a", "<unterminated_tag_syntax offset=\"11\"/>",
     "Tag at offset 11 unterminated"},
};

TEST(MarkupDocument, MalformedDocumentsStayNavigableAndExplainThemselves) {
  for (const MalformedCase& malformed : kMalformedCases) {
    SCOPED_TRACE(malformed.text);
    MarkupDocument full(MarkupBuild::kFull);
    EXPECT_FALSE(full.SetText(malformed.text));
    EXPECT_FALSE(full.IsWellFormed());
    EXPECT_EQ(full.GetText(), malformed.text);
    EXPECT_EQ(DescribeElements(full), malformed.walk);
    EXPECT_EQ(full.GetResult(), malformed.fullResult);

    MarkupDocument bridge(MarkupBuild::kBridge);
    EXPECT_FALSE(bridge.SetText(malformed.text));
    EXPECT_EQ(DescribeElements(bridge), malformed.walk);
    EXPECT_EQ(bridge.GetResult(), malformed.bridgeResult);
  }
}

TEST(MarkupDocument, UnendedElementsPassOnTheirChildrenAtEveryDepth) {
  MarkupDocument document;
  EXPECT_FALSE(document.SetText(
      "<r id='r'><a id='a'><x id='x'/><b id='b'><y id='y'/><c id='c'></r><z id='z'/>"));
  EXPECT_EQ(DescribeElements(document), "r(a,x,b,y,c),z");
  ASSERT_TRUE(document.FindElement("z"));
  ASSERT_TRUE(document.FindElement() == false);
}

TEST(MarkupDocument, DeeplyNestedMismatchesAreHandled) {
  // Deep enough to use the counted search of open elements, with lone end tags in between.
  std::string text = "<r id='r'>";
  for (int i = 0; i < 100; ++i) text += "<e>";
  for (int i = 0; i < 100; ++i) text += "</x" + std::to_string(i) + ">";
  text += "</e></r>";
  MarkupDocument document;
  EXPECT_FALSE(document.SetText(text));
  EXPECT_EQ(DescribeElements(document).substr(0, 6), "r(?,?,") << "unended e flattened";
  document.ResetMainPosition();
  ASSERT_TRUE(document.FindElement("r"));
  ASSERT_TRUE(document.EnterElement());
  int elements = 0;
  while (document.FindElement("e")) ++elements;
  EXPECT_EQ(elements, 100);
}

}  // namespace

}  // namespace tavrel
