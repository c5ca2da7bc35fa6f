// Any bytes given to a MarkupDocument are parsed, walked and edited without reading or writing
// out of bounds (run these under the address and undefined-behaviour sanitizers too).
#include <gtest/gtest.h>

#include <random>

#include "common/markup_document.h"
#include "common/markup_parser.h"
#include "common/markup_test_tree.h"

namespace tavrel {

namespace {

const std::string kSample =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n"
    "<!DOCTYPE root [ <!ENTITY e \"x>\"> <!-- c --> <?p ?> ]>\r\n"
    "<root id=\"r\" name='\xB0\xE6&lt;&#x7248;&alpha;'>\r\n"
    "<!-- <x/> --><![CDATA[ <y/> ]]><?pi <z/>?>\r\n"
    "<server id=\"s\" expr=\"a>b\" flag><group id=\"g\">\r\n"
    "<tag id=\"t1\" vt=\"5\"/><tag id=\"t2\"></tag>text &amp; more</group>\r\n"
    "</server>\r\n"
    "</root>\r\n";

// Walks every element, reading attributes on the way; returns how many elements it saw.
int WalkAll(MarkupDocument& document) {
  int elements = 0;
  document.ResetMainPosition();
  while (document.FindElement()) {
    ++elements;
    document.GetAttribute("id");
    document.GetAttribute("name");
    document.EnterElement();
    elements += WalkAll(document);
    document.LeaveElement();
  }
  return elements;
}

// Adds an element with an attribute at the current level and inside the first element.
void EditAll(MarkupDocument& document) {
  document.ResetMainPosition();
  if (document.FindElement()) {
    EXPECT_TRUE(document.SetAttribute("id", "edited"));
    document.EnterElement();
    EXPECT_TRUE(document.AddElement("child", "<v>"));
    document.LeaveElement();
  }
  EXPECT_TRUE(document.AddElement("added"));
  EXPECT_TRUE(document.SetAttribute("n", 1));
}

TEST(MarkupRobustness, EveryTruncationOfASampleIsParsedWalkedAndEdited) {
  MarkupDocument whole;
  ASSERT_TRUE(whole.SetText(kSample));
  const int allElements = WalkAll(whole);
  ASSERT_EQ(allElements, 5);
  for (MarkupBuild build : {MarkupBuild::kFull, MarkupBuild::kBridge}) {
    for (size_t length = 0; length <= kSample.size(); ++length) {
      SCOPED_TRACE(length);
      const std::string prefix = kSample.substr(0, length);
      MarkupDocument document(build);
      const bool wellFormed = document.SetText(prefix);
      // Only the texts that reach the root's end tag are whole documents.
      EXPECT_EQ(wellFormed, length >= kSample.size() - 2);
      EXPECT_EQ(document.GetText(), prefix);
      // Every failure is explained, except that of an empty text in the full build.
      const bool silent = length == 0 && build == MarkupBuild::kFull;
      EXPECT_EQ(document.GetResult().empty(), wellFormed || silent);
      EXPECT_LE(WalkAll(document), allElements);
      EditAll(document);
      EXPECT_GE(WalkAll(document), 1);
    }
  }
}

TEST(MarkupRobustness, MutatedDocumentsAreHandledAndKeepTheirIndexConsistent) {
  const std::string alphabet = "<>/!?-[]\"'= &;#xDC\r\n";
  std::mt19937 random(20240601);
  int wellFormedEdits = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = kSample;
    const int mutations = 1 + static_cast<int>(random() % 4);
    for (int m = 0; m < mutations; ++m) {
      const size_t at = random() % text.size();
      const char c = alphabet[random() % alphabet.size()];
      switch (random() % 3) {
        case 0:
          text[at] = c;
          break;
        case 1:
          text.insert(text.begin() + static_cast<long>(at), c);
          break;
        default:
          text.erase(at, 1 + random() % 8);
          break;
      }
    }
    const MarkupBuild build = round % 2 == 0 ? MarkupBuild::kFull : MarkupBuild::kBridge;
    MarkupDocument document(build);
    const bool wellFormed = document.SetText(text);
    WalkAll(document);
    EditAll(document);
    if (!wellFormed) continue;
    // On a well-formed text, the edited index must agree with a parse of the edited text.
    ++wellFormedEdits;
    while (document.LeaveElement()) {
    }
    MarkupDocument parsed(build);
    parsed.SetText(document.GetText());
    ASSERT_EQ(DescribeElements(document), DescribeElements(parsed)) << text;
  }
  EXPECT_GT(wellFormedEdits, 100);
}

// How often `part` occurs in `text`.
size_t Count(std::string_view text, std::string_view part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(MarkupRobustness, ReportOfAHostileTextKeepsOnlyTheFirstProblems) {
  // Every "<" is a malformed token, every "</a>" a lone end tag, every "<b>" unended.
  const struct {
    std::string text;
    std::string_view fullRecord;
    std::string_view bridgeText;
  } cases[] = {
      {"<r>" + std::string(100000, '<') + "</r>", "<first_tag_syntax ", "Incorrect tag name"},
      {"<r>" +
           [] {
             std::string ends;
             for (int i = 0; i < 20000; ++i) ends += "</a>";
             return ends;
           }() +
           "</r>",
       "<lone_end_tag ", "No start tag for end tag"},
      {"<r>" +
           [] {
             std::string opens;
             for (int i = 0; i < 20000; ++i) opens += "<b>";
             return opens;
           }() +
           "</r>",
       "<unended_start_tag ", "does not match start tag"},
  };
  for (const auto& hostile : cases) {
    SCOPED_TRACE(hostile.fullRecord);
    MarkupDocument full(MarkupBuild::kFull);
    EXPECT_FALSE(full.SetText(hostile.text));
    EXPECT_EQ(Count(full.GetResult(), hostile.fullRecord), kMaxMarkupParseIssues);
    // The first problem is the first one of the text, right after "<r>".
    EXPECT_TRUE(full.GetResult().starts_with(std::string(hostile.fullRecord))) << full.GetResult();
    EXPECT_NE(full.GetResult().find("offset=\"3\""), std::string::npos);
    MarkupDocument bridge(MarkupBuild::kBridge);
    EXPECT_FALSE(bridge.SetText(hostile.text));
    EXPECT_EQ(Count(bridge.GetResult(), hostile.bridgeText), kMaxMarkupParseIssues);
  }
}

}  // namespace

}  // namespace tavrel
