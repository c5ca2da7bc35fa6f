#include "common/encoding_detection.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tavrel {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

// Where `text` starting at `from` has `what`, compared ignoring ASCII case; npos if nowhere.
size_t FindIgnoringCase(std::string_view text, std::string_view what, size_t from = 0) {
  for (size_t at = from; at + what.size() <= text.size(); ++at) {
    if (EqualsIgnoringCase(text.substr(at, what.size()), what)) return at;
  }
  return std::string_view::npos;
}

// The offset of the ">" that closes the tag whose "<" is at `open`, stepping over quoted
// attribute values; npos when the tag is not closed within `text`.
size_t TagEnd(std::string_view text, size_t open) {
  char quote = 0;
  for (size_t at = open + 1; at < text.size(); ++at) {
    const char c = text[at];
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return at;
    }
  }
  return std::string_view::npos;
}

using Attributes = std::vector<std::pair<std::string_view, std::string_view>>;

// The attributes in the inside of a tag after its name: name="value", name='value', name=value
// or a bare name. Blanks, "/" and "?" between attributes are skipped.
Attributes ParseAttributes(std::string_view inside) {
  Attributes attributes;
  size_t at = 0;
  auto skipSpace = [&] {
    while (at < inside.size() && IsSpace(inside[at])) ++at;
  };
  while (at < inside.size()) {
    const char c = inside[at];
    if (IsSpace(c) || c == '/' || c == '?') {
      ++at;
      continue;
    }
    const size_t nameStart = at;
    while (at < inside.size() && !IsSpace(inside[at]) && inside[at] != '=' && inside[at] != '/' &&
           inside[at] != '?') {
      ++at;
    }
    const std::string_view name = inside.substr(nameStart, at - nameStart);
    skipSpace();
    std::string_view value;
    if (at < inside.size() && inside[at] == '=') {
      ++at;
      skipSpace();
      if (at < inside.size() && (inside[at] == '"' || inside[at] == '\'')) {
        const size_t close = inside.find(inside[at], at + 1);
        if (close == std::string_view::npos) break;  // cannot happen after TagEnd
        value = inside.substr(at + 1, close - at - 1);
        at = close + 1;
      } else {
        const size_t valueStart = at;
        while (at < inside.size() && !IsSpace(inside[at])) ++at;
        value = inside.substr(valueStart, at - valueStart);
      }
    }
    attributes.emplace_back(name, value);
  }
  return attributes;
}

std::optional<std::string_view> FindAttribute(const Attributes& attributes, std::string_view name) {
  for (const auto& [attribute, value] : attributes) {
    if (EqualsIgnoringCase(attribute, name)) return value;
  }
  return std::nullopt;
}

std::optional<std::string> FindXmlDeclaredEncoding(std::string_view head) {
  constexpr std::string_view kOpen = "<?xml";
  if (!head.starts_with(kOpen) || head.size() == kOpen.size() || !IsSpace(head[kOpen.size()])) {
    return std::nullopt;
  }
  const size_t end = TagEnd(head, 0);
  if (end == std::string_view::npos) return std::nullopt;
  const Attributes attributes = ParseAttributes(head.substr(kOpen.size(), end - kOpen.size()));
  for (const auto& [name, value] : attributes) {
    if (name == "encoding") return std::string(value);  // XML names are case-sensitive
  }
  return std::nullopt;
}

// The name after "charset" and "=" in a Content-Type value such as "text/html; charset=gbk".
std::optional<std::string> CharsetOfContentType(std::string_view content) {
  for (size_t at = FindIgnoringCase(content, "charset"); at != std::string_view::npos;
       at = FindIgnoringCase(content, "charset", at + 1)) {
    size_t next = at + 7;
    while (next < content.size() && IsSpace(content[next])) ++next;
    if (next >= content.size() || content[next] != '=') continue;
    ++next;
    while (next < content.size() &&
           (IsSpace(content[next]) || content[next] == '"' || content[next] == '\'')) {
      ++next;
    }
    size_t end = next;
    while (end < content.size() && !IsSpace(content[end]) && content[end] != ';' &&
           content[end] != '"' && content[end] != '\'') {
      ++end;
    }
    return std::string(content.substr(next, end - next));
  }
  return std::nullopt;
}

// Walks the tags of an HTML text up to the end of its <head>.
std::optional<std::string> FindHtmlDeclaredEncoding(std::string_view head) {
  bool inHtml = false;
  bool inHead = false;
  size_t at = head.find('<');
  while (at != std::string_view::npos) {
    size_t end;
    if (head.substr(at).starts_with("<!--")) {
      end = head.find("-->", at + 4);
      if (end != std::string_view::npos) end += 2;
    } else {
      end = TagEnd(head, at);
    }
    if (end == std::string_view::npos) return std::nullopt;  // cut off
    const std::string_view tag = head.substr(at + 1, end - at - 1);
    const bool isEndTag = tag.starts_with('/');
    const std::string_view afterSlash = tag.substr(isEndTag ? 1 : 0);
    const size_t nameLength = std::find_if(afterSlash.begin(), afterSlash.end(),
                                           [](char c) { return IsSpace(c) || c == '/'; }) -
                              afterSlash.begin();
    const std::string_view name = afterSlash.substr(0, nameLength);
    if (!isEndTag && EqualsIgnoringCase(name, "html")) {
      inHtml = true;
    } else if (inHtml && !isEndTag && EqualsIgnoringCase(name, "head")) {
      inHead = true;
    } else if (inHead && (EqualsIgnoringCase(name, "head") || EqualsIgnoringCase(name, "body"))) {
      return std::nullopt;  // the head is over
    } else if (inHead && !isEndTag && EqualsIgnoringCase(name, "meta")) {
      const Attributes attributes = ParseAttributes(afterSlash.substr(nameLength));
      const auto httpEquiv = FindAttribute(attributes, "http-equiv");
      const auto content = FindAttribute(attributes, "content");
      if (httpEquiv && content && EqualsIgnoringCase(*httpEquiv, "Content-Type")) {
        if (auto charset = CharsetOfContentType(*content)) return charset;
      }
    }
    at = head.find('<', end + 1);
  }
  return std::nullopt;
}

// The length of the UTF-8 sequence led by `lead` and the range its second byte must lie in
// (which excludes overlong forms, surrogates and code points above U+10FFFF); 0 for a byte
// that cannot lead a sequence.
struct Utf8Lead {
  int length;
  unsigned char secondMin;
  unsigned char secondMax;
};

Utf8Lead ClassifyUtf8Lead(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};
  if (lead == 0xED) return {3, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
  if (lead == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

}  // namespace

std::optional<std::string> FindDeclaredEncoding(std::string_view text) {
  const std::string_view head = text.substr(0, kEncodingHeadSize);
  if (auto declared = FindXmlDeclaredEncoding(head)) return declared;
  return FindHtmlDeclaredEncoding(head);
}

bool IsUtf8Text(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < 0x80) {
      ++at;
      continue;
    }
    const Utf8Lead kind = ClassifyUtf8Lead(lead);
    if (kind.length == 0) return false;
    for (int i = 1; i < kind.length; ++i) {
      if (at + i >= bytes.size()) return true;  // cut by the end of the buffer
      const auto next = static_cast<unsigned char>(bytes[at + i]);
      const unsigned char low = i == 1 ? kind.secondMin : 0x80;
      const unsigned char high = i == 1 ? kind.secondMax : 0xBF;
      if (next < low || next > high) return false;
    }
    at += kind.length;
  }
  return true;
}

}  // namespace tavrel
