// TextArrayElements: the elements of the latest value of each tag whose server sent an array
// of texts (VT_BSTR or VT_VARIANT elements), kept apart from the value's text, which joins
// them with ", " that a text element may hold itself.
//
// Put runs on the thread that applied the value, under the tag's slot lock and before the value
// reaches the publisher, so that the publisher, which reads on its own thread, finds elements
// at least as new as the value it publishes. Arrays of numbers are read from the text, where
// ", " cannot be part of an element; they are not kept.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bridge/core/project_tree.h"
#include "platform/com/variant.h"

// The elements of one array value, when they were kept apart from its text.
using TextElements = std::optional<std::vector<std::string>>;

class TextArrayElements {
 public:
  // Keeps the elements of `source` for `handle` when it is an array of texts.
  void Put(TagHandle handle, const VARIANT& source);
  // The elements of the tag's latest array of texts; none for a tag that is no array, or when
  // no such value arrived.
  TextElements Of(const ProjectTag& tag) const;

 private:
  mutable std::mutex mutex_;
  std::unordered_map<TagHandle, std::vector<std::string>> elements_;
};

// Calls `visit` with each element of an array value: those of `elements` when given, else the
// parts of `text` between the ", " that join them. An empty text is an empty array.
template <typename Visit>
void ForEachArrayElement(std::string_view text, const TextElements& elements, Visit visit) {
  if (elements) {
    for (const std::string& element : *elements) visit(std::string_view(element));
    return;
  }
  if (text.empty()) return;
  for (std::size_t start = 0;;) {
    const std::size_t comma = text.find(", ", start);
    visit(text.substr(start, comma - start));
    if (comma == std::string_view::npos) return;
    start = comma + 2;
  }
}
