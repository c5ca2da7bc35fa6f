#include "common/markup_tag.h"

#include <algorithm>

namespace tavrel {

namespace {

constexpr bool IsQuote(char c) { return c == '"' || c == '\''; }

// Offset of the first byte at or after `at` for which `stop` holds, or `end`.
template <typename Predicate>
size_t SkipUntil(std::string_view text, size_t at, size_t end, Predicate stop) {
  while (at < end && !stop(text[at])) ++at;
  return at;
}

size_t SkipSpace(std::string_view text, size_t at, size_t end) {
  return SkipUntil(text, at, end, [](char c) { return !IsMarkupSpace(c); });
}

// One past the quote that closes the quoted text starting at `at`, or `end` when none does.
size_t SkipQuoted(std::string_view text, size_t at, size_t end) {
  const size_t close = text.substr(0, end).find(text[at], at + 1);
  return close == std::string_view::npos ? end : close + 1;
}

}  // namespace

std::string_view MarkupTagName(std::string_view text) {
  const auto end = std::find_if(text.begin(), text.end(), IsMarkupNameEnd);
  return text.substr(0, static_cast<size_t>(end - text.begin()));
}

MarkupAttributeLookup FindMarkupAttribute(std::string_view startTag, std::string_view name) {
  // The attributes end before ">", or before "/>" in an empty element's tag.
  size_t end = startTag.size() > 0 ? startTag.size() - 1 : 0;
  if (end > 1 && startTag[end - 1] == '/') --end;
  const std::string_view afterLessThan = startTag.substr(std::min<size_t>(1, startTag.size()));
  size_t at = std::min(end, 1 + MarkupTagName(afterLessThan).size());
  while (true) {
    at = SkipSpace(startTag, at, end);
    if (at >= end) return {std::nullopt, end};
    if (IsQuote(startTag[at])) {  // a stray value without a name
      at = SkipQuoted(startTag, at, end);
      continue;
    }
    const size_t nameBegin = at;
    at = SkipUntil(startTag, at, end,
                   [](char c) { return IsMarkupSpace(c) || c == '=' || IsQuote(c); });
    if (at == nameBegin) {  // a stray "="
      ++at;
      continue;
    }
    const std::string_view attributeName = startTag.substr(nameBegin, at - nameBegin);
    MarkupAttributeSpan span{at, at, at, at, false};
    const size_t equals = SkipSpace(startTag, at, end);
    if (equals < end && startTag[equals] == '=') {
      const size_t value = SkipSpace(startTag, equals + 1, end);
      if (value < end && IsQuote(startTag[value])) {
        const size_t valueEnd = SkipQuoted(startTag, value, end);
        const bool closed = valueEnd > value + 1 && startTag[valueEnd - 1] == startTag[value];
        span = {value, valueEnd, value + 1, closed ? valueEnd - 1 : valueEnd, true};
      } else {
        const size_t valueEnd = SkipUntil(startTag, value, end, IsMarkupSpace);
        span = {value, valueEnd, value, valueEnd, true};
      }
      at = span.valueEnd;
    }
    if (attributeName == name) return {span, end};
  }
}

}  // namespace tavrel
