#include "bridge/opc/body_element_list.h"

#include <gtest/gtest.h>

#include <vector>

#include "bridge/opc/body_document.h"

namespace tavrel {

namespace {

struct Attribute {
  const char* name;
  std::string value;
};
using Element = std::vector<Attribute>;

// The list must read exactly as the document built the slow way, whatever the elements and
// values: clients parse both.
TEST(BodyElementList, WritesWhatTheDocumentWrites) {
  const std::vector<std::vector<Element>> lists = {
      {},
      {{}},
      {{{"v", "1.500000"}, {"s", "0"}}},
      {{{"i", "Tag<1>&\"2\"'3'"}, {"d", ""}}, {{"k", "\xD6\xD0\xCE\xC4"}}, {}},
      {{{"v", "-2147483648"}}, {{"v", "a\r\nb\tc"}}},
  };
  for (const std::vector<Element>& list : lists) {
    SCOPED_TRACE(list.size());
    MarkupDocument document = NewBodyDocument();
    BodyElementList written;
    for (const Element& element : list) {
      document.AddElement("t");
      written.AddElement("t");
      for (const Attribute& attribute : element) {
        document.SetAttribute(attribute.name, attribute.value);
        written.SetAttribute(attribute.name, attribute.value);
      }
    }
    EXPECT_EQ(written.TakeText(), document.GetText());
  }
  MarkupDocument numbers = NewBodyDocument();
  BodyElementList written;
  for (const int value : {0, -1, 2147483647, -2147483647 - 1}) {
    numbers.AddElement("t");
    numbers.SetAttribute("h", value);
    written.AddElement("t");
    written.SetAttribute("h", value);
  }
  EXPECT_EQ(written.TakeText(), numbers.GetText());
}

}  // namespace

}  // namespace tavrel
