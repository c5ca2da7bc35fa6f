#include "common/markup_escape.h"

namespace tavrel {

namespace {

// The reference for `c` in `set`, or an empty view when `c` is copied as it is.
std::string_view ReferenceFor(char c, MarkupEscapeSet set) {
  switch (c) {
    case '<':
      return "&lt;";
    case '&':
      return "&amp;";
    case '>':
      return "&gt;";
    case '\'':
      return set == MarkupEscapeSet::kAttribute ? "&apos;" : "";
    case '"':
      return set == MarkupEscapeSet::kAttribute ? "&quot;" : "";
    default:
      return {};
  }
}

}  // namespace

std::string EscapeMarkupText(std::string_view text, MarkupEscapeSet set) {
  std::string escaped;
  escaped.reserve(text.size() + text.size() / 10 + 7);
  size_t copiedTo = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    const std::string_view reference = ReferenceFor(text[at], set);
    if (reference.empty()) continue;
    escaped.append(text, copiedTo, at - copiedTo);
    escaped += reference;
    copiedTo = at + 1;
  }
  escaped.append(text, copiedTo);
  return escaped;
}

}  // namespace tavrel
