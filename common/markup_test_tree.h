// Test helper: the element tree of a MarkupDocument, seen through its public operations.
#pragma once

#include <string>
#include <string_view>

#include "common/markup_document.h"

namespace tavrel {

// Describes the elements under the document's current parent, from its first child: each as
// the value of its attribute `label` ("?" when it has none) followed by its children in
// parentheses, siblings separated by ",". Ends with the main position reset.
inline std::string DescribeElements(MarkupDocument& document, std::string_view label = "id") {
  std::string description;
  document.ResetMainPosition();
  while (document.FindElement()) {
    if (!description.empty()) description += ',';
    const std::string value = document.GetAttribute(label);
    description += value.empty() ? "?" : value;
    document.EnterElement();
    const std::string children = DescribeElements(document, label);
    document.LeaveElement();
    if (!children.empty()) description += '(' + children + ')';
  }
  document.ResetMainPosition();
  return description;
}

}  // namespace tavrel
