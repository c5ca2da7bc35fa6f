#include <gtest/gtest.h>

#include "common/markup_document.h"
#include "common/markup_test_tree.h"

namespace tavrel {

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n";

// The edited document's index must describe its text exactly as a fresh parse does. Leaves
// the edited document at the top level.
void ExpectIndexMatchesText(MarkupDocument& edited) {
  while (edited.LeaveElement()) {
  }
  MarkupDocument parsed;
  parsed.SetText(edited.GetText());
  EXPECT_EQ(DescribeElements(edited), DescribeElements(parsed));
  EXPECT_EQ(edited.IsWellFormed(), parsed.IsWellFormed());
}

TEST(MarkupEdit, BuildsTheDocumentLayoutLineByLine) {
  for (MarkupBuild build : {MarkupBuild::kFull, MarkupBuild::kBridge}) {
    MarkupDocument document(build);
    EXPECT_FALSE(document.SetText(kDeclaration));
    ASSERT_TRUE(document.AddElement("root"));
    ASSERT_TRUE(document.SetAttribute("update", "1"));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.AddElement("server"));
    ASSERT_TRUE(document.SetAttribute("name", "s1"));
    ASSERT_TRUE(document.AddElement("server"));
    ASSERT_TRUE(document.SetAttribute("name", "s2"));
    EXPECT_EQ(document.GetText(), kDeclaration +
                                      "<root update=\"1\">\r\n"
                                      "<server name=\"s1\"/>\r\n"
                                      "<server name=\"s2\"/>\r\n"
                                      "</root>\r\n");
    EXPECT_TRUE(document.IsWellFormed());
    ExpectIndexMatchesText(document);
  }
}

TEST(MarkupEdit, BuildsANestedProjectAsTheWriterDoes) {
  MarkupDocument document;
  document.SetText(kDeclaration);
  ASSERT_TRUE(document.AddElement("root"));
  ASSERT_TRUE(document.EnterElement());
  for (const char* server : {"a", "b"}) {
    ASSERT_TRUE(document.AddElement("server"));
    ASSERT_TRUE(document.SetAttribute("id", server));
    ASSERT_TRUE(document.EnterElement());
    ASSERT_TRUE(document.AddElement("group"));
    ASSERT_TRUE(document.SetAttribute("id", std::string(server) + "g"));
    ASSERT_TRUE(document.EnterElement());
    for (int tag = 1; tag <= 2; ++tag) {
      ASSERT_TRUE(document.AddElement("tag"));
      ASSERT_TRUE(document.SetAttribute("id", std::string(server) + std::to_string(tag)));
      ASSERT_TRUE(document.SetAttribute("vt", 5));
    }
    ASSERT_TRUE(document.LeaveElement());
    ASSERT_TRUE(document.LeaveElement());
  }
  EXPECT_EQ(document.GetText(), kDeclaration +
                                    "<root>\r\n"
                                    "<server id=\"a\">\r\n"
                                    "<group id=\"ag\">\r\n"
                                    "<tag id=\"a1\" vt=\"5\"/>\r\n"
                                    "<tag id=\"a2\" vt=\"5\"/>\r\n"
                                    "</group>\r\n"
                                    "</server>\r\n"
                                    "<server id=\"b\">\r\n"
                                    "<group id=\"bg\">\r\n"
                                    "<tag id=\"b1\" vt=\"5\"/>\r\n"
                                    "<tag id=\"b2\" vt=\"5\"/>\r\n"
                                    "</group>\r\n"
                                    "</server>\r\n"
                                    "</root>\r\n");
  ExpectIndexMatchesText(document);
}

struct PlacementCase {
  const char* name;
  const char* text;
  const char* mainBefore;  // id of the element to make main inside the root; "" for none
  const char* expected;
};

const PlacementCase kPlacementCases[] = {
    {"empty parent", "<root id='r'/>", "", "<root id='r'>\r\n<new/>\r\n</root>"},
    {"start and end tag with nothing between", "<root id='r'></root>", "",
     "<root id='r'>\r\n<new/>\r\n</root>"},
    {"after main element followed by white space and a tag",
     "<root id='r'>\r\n<a id='a'/> \t\r\n<b id='b'/>\r\n</root>", "a",
     "<root id='r'>\r\n<a id='a'/> \t\r\n<new/>\r\n<b id='b'/>\r\n</root>"},
    {"after main element followed by text", "<root id='r'><a id='a'/> text</root>", "a",
     "<root id='r'><a id='a'/><new/>\r\n text</root>"},
    {"after the last child", "<root id='r'>\r\n<a id='a'/>\r\n</root>", "a",
     "<root id='r'>\r\n<a id='a'/>\r\n<new/>\r\n</root>"},
    {"no main element: before the parent's end tag", "<root id='r'><a id='a'/>x</root>", "",
     "<root id='r'><a id='a'/>x<new/>\r\n</root>"},
    {"after a main element that has children",
     "<root id='r'><a id='a'><c id='c'/></a><b id='b'/></root>", "a",
     "<root id='r'><a id='a'><c id='c'/></a><new/>\r\n<b id='b'/></root>"},
};

TEST(MarkupEdit, PlacesNewElementsByTheirSurroundings) {
  for (const PlacementCase& placement : kPlacementCases) {
    SCOPED_TRACE(placement.name);
    MarkupDocument document;
    ASSERT_TRUE(document.SetText(placement.text));
    ASSERT_TRUE(document.FindElement("root"));
    ASSERT_TRUE(document.EnterElement());
    if (*placement.mainBefore != '\0') {
      while (document.GetAttribute("id") != placement.mainBefore) {
        ASSERT_TRUE(document.FindElement());
      }
    }
    ASSERT_TRUE(document.AddElement("new"));
    EXPECT_EQ(document.GetText(), placement.expected);
    ASSERT_TRUE(document.SetAttribute("id", "n"));
    // The new element is the main one: finding goes on with its next sibling.
    if (document.FindElement()) {
      EXPECT_EQ(document.GetAttribute("id"), "b");
    }
    ExpectIndexMatchesText(document);
  }
}

TEST(MarkupEdit, AnEmptyParentWhoseTagEndsInTwoSlashesDoesNotReadAsEmptyAgain) {
  MarkupDocument document;
  ASSERT_TRUE(document.SetText("<a id='a'//>"));
  ASSERT_TRUE(document.FindElement("a"));
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.AddElement("b"));
  ASSERT_TRUE(document.SetAttribute("id", "b"));
  EXPECT_EQ(document.GetText(), "<a id='a'/ >\r\n<b id=\"b\"/>\r\n</a>");
  ExpectIndexMatchesText(document);
  EXPECT_EQ(DescribeElements(document), "a(b)");
}

TEST(MarkupEdit, LongTagsKeepTheirLengths) {
  const std::string name(3000, 'n');
  const std::string value(5000, 'v');
  MarkupDocument document;
  ASSERT_TRUE(document.SetText("<" + name + " a='" + value + "'><c/></" + name + ">"));
  ASSERT_TRUE(document.FindElement(name));
  EXPECT_EQ(document.GetAttribute("a"), value);
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.AddElement("d"));
  EXPECT_EQ(document.GetText(), "<" + name + " a='" + value + "'><c/><d/>\r\n</" + name + ">");
  ExpectIndexMatchesText(document);
}

TEST(MarkupEdit, PlacesTopLevelElementsAtTheEndOrAfterTheMainElement) {
  MarkupDocument document;
  document.SetText("<!-- c -->");
  ASSERT_TRUE(document.AddElement("a"));
  EXPECT_EQ(document.GetText(), "<!-- c --><a/>\r\n");
  EXPECT_TRUE(document.IsWellFormed());
  ASSERT_TRUE(document.AddElement("b", "x"));
  EXPECT_EQ(document.GetText(), "<!-- c --><a/>\r\n<b>x</b>\r\n");
  EXPECT_FALSE(document.IsWellFormed()) << "the root now has a sibling";
  document.ResetMainPosition();
  ASSERT_TRUE(document.AddElement("c", 42));
  EXPECT_EQ(document.GetText(), "<!-- c --><a/>\r\n<b>x</b>\r\n<c>42</c>\r\n");
  ExpectIndexMatchesText(document);
}

TEST(MarkupEdit, AddsElementsToAnElementThatWasNotEnded) {
  MarkupDocument document;
  document.SetText("<a id='a'>\r\n<b id='b'/>");
  ASSERT_TRUE(document.FindElement("a"));
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.AddElement("x"));
  ASSERT_TRUE(document.AddElement("y"));
  ASSERT_TRUE(document.LeaveElement());
  EXPECT_EQ(document.GetText(), "<a id='a'>\r\n<x/>\r\n<y/>\r\n\r\n<b id='b'/>");
  ASSERT_TRUE(document.FindElement("b"));
  EXPECT_EQ(document.GetAttribute("id"), "b");
}

TEST(MarkupEdit, EscapesValuesOfElementsAndAttributes) {
  MarkupDocument document;
  document.SetText("<r/>");
  ASSERT_TRUE(document.FindElement("r"));
  ASSERT_TRUE(document.SetAttribute("q", "say \"<a&b>\" it's"));
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.AddElement("v", "a<b&c>d\"'"));
  EXPECT_EQ(document.GetText(),
            "<r q=\"say &quot;&lt;a&amp;b&gt;&quot; it&apos;s\">\r\n"
            "<v>a&lt;b&amp;c&gt;d\"'</v>\r\n</r>");
  ASSERT_TRUE(document.LeaveElement());
  EXPECT_EQ(document.GetAttribute("q"), "say \"<a&b>\" it's");
}

TEST(MarkupEdit, ReplacesOrAppendsAttributes) {
  MarkupDocument document;
  document.SetText("<r><a x='1' y = \"2\" flag z=bare>\r\n<b id='b'/></a><c id='c'/></r>");
  ASSERT_TRUE(document.FindElement("r"));
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.FindElement("a"));
  ASSERT_TRUE(document.SetAttribute("x", "one"));
  ASSERT_TRUE(document.SetAttribute("y", -7));
  ASSERT_TRUE(document.SetAttribute("flag", "on"));
  ASSERT_TRUE(document.SetAttribute("z", "q"));
  ASSERT_TRUE(document.SetAttributeReal("real", 1.5));
  ASSERT_TRUE(document.SetAttributeHex("hex", 255));
  EXPECT_EQ(document.GetText(),
            "<r><a x=\"one\" y = \"-7\" flag=\"on\" z=\"q\" real=\"1.500000\" hex=\"FF\">\r\n"
            "<b id='b'/></a><c id='c'/></r>");
  EXPECT_EQ(document.GetAttribute("y"), "-7");
  // Children and following elements moved with the splices.
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.FindElement("b"));
  ASSERT_TRUE(document.SetAttribute("id", "bb"));
  ASSERT_TRUE(document.LeaveElement());
  ASSERT_TRUE(document.FindElement("c"));
  EXPECT_EQ(document.GetAttribute("id"), "c");
  ExpectIndexMatchesText(document);
}

TEST(MarkupEdit, InsertsNewAttributesBeforeTheTagsEnd) {
  MarkupDocument document;
  document.SetText("<r a='1' >text</r>");
  ASSERT_TRUE(document.FindElement());
  ASSERT_TRUE(document.SetAttribute("b", "2"));
  EXPECT_EQ(document.GetText(), "<r a='1'  b=\"2\">text</r>");
  ASSERT_TRUE(document.EnterElement());
  ASSERT_TRUE(document.AddElement("c"));
  EXPECT_EQ(document.GetText(), "<r a='1'  b=\"2\">text<c/>\r\n</r>");
}

TEST(MarkupEdit, RefusesEditsWithoutMainElementOrWithNamesThatBreakTheMarkup) {
  MarkupDocument document;
  const std::string text = "<r><a/></r>";
  document.SetText(text);
  EXPECT_FALSE(document.SetAttribute("x", "1")) << "no main element";
  ASSERT_TRUE(document.FindElement("r"));
  for (const char* name : {"", "a b", "a>", "a/", "a=b", "a\"", "a'", "<a", "a&"}) {
    EXPECT_FALSE(document.SetAttribute(name, "1")) << name;
    EXPECT_FALSE(document.AddElement(name)) << name;
  }
  for (const char* name : {"1a", "-a", ".a", "!a", "?a"}) {
    EXPECT_FALSE(document.AddElement(name)) << name;
  }
  EXPECT_EQ(document.GetText(), text);
  EXPECT_TRUE(document.AddElement("\xB0\xE6"));  // a GBK name
  EXPECT_TRUE(document.SetAttribute("_:x-1.y", "1"));
  ExpectIndexMatchesText(document);
}

TEST(MarkupEdit, IndexStaysConsistentThroughLongEditSequences) {
  MarkupDocument document;
  document.SetText(kDeclaration + "<root id='r'>\r\n<s id='s0'><t id='t0'/></s>\r\n</root>\r\n");
  ASSERT_TRUE(document.FindElement("root"));
  ASSERT_TRUE(document.EnterElement());
  for (int round = 1; round <= 50; ++round) {
    const std::string id = std::to_string(round);
    document.ResetMainPosition();
    // Alternate between appending, inserting after the first element and nesting.
    if (round % 3 == 1) {
      ASSERT_TRUE(document.FindElement("s"));
    }
    ASSERT_TRUE(document.AddElement("s"));
    ASSERT_TRUE(document.SetAttribute("id", "s" + id));
    if (round % 2 == 0) {
      ASSERT_TRUE(document.EnterElement());
      ASSERT_TRUE(document.AddElement("t", id));
      ASSERT_TRUE(document.SetAttribute("id", "t" + id));
      ASSERT_TRUE(document.LeaveElement());
    }
    ASSERT_TRUE(document.LeaveElement());
    ASSERT_TRUE(document.SetAttribute("count", round));
    ASSERT_TRUE(document.EnterElement());
  }
  ExpectIndexMatchesText(document);
  EXPECT_TRUE(document.IsWellFormed());
}

}  // namespace

}  // namespace tavrel
