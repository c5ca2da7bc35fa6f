#include "common/markup_document.h"

#include <cstdio>

#include "common/markup_escape.h"
#include "common/markup_parse_report.h"
#include "common/markup_parser.h"
#include "common/markup_references.h"
#include "common/markup_tag.h"

namespace tavrel {

namespace {

// Bytes that would end or break a name inside a tag, so a name holding one would change the
// structure of the document around the index.
constexpr bool BreaksName(char c) {
  return IsMarkupSpace(c) || c == '<' || c == '>' || c == '/' || c == '=' || c == '"' ||
         c == '\'' || c == '&';
}

bool IsWritableName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (BreaksName(c)) return false;
  }
  return true;
}

// An element name must also begin a start tag when the text is parsed again.
bool IsWritableElementName(std::string_view name) {
  return IsWritableName(name) && IsMarkupNameStart(name[0]);
}

std::string FormatNumber(const char* format, auto value) {
  char buffer[512];  // room for any double in "%f"
  const int length = std::snprintf(buffer, sizeof buffer, format, value);
  return std::string(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

}  // namespace

MarkupDocument::MarkupDocument(MarkupBuild build) : build_(build) {}

bool MarkupDocument::SetText(std::string_view text, const MarkupFileOrigin& origin) {
  text_.assign(text);
  origin_ = origin;
  result_.clear();
  return Parse();
}

const std::string& MarkupDocument::GetText() const { return text_; }

bool MarkupDocument::Parse() {
  const std::vector<MarkupParseIssue> issues = ParseMarkup(text_, index_);
  ReportMarkupIssues(issues, text_.empty(), build_, result_);
  parent_ = main_ = child_ = 0;
  return IsWellFormed();
}

void MarkupDocument::Clear() {
  text_.clear();
  index_.Reset(0);
  parent_ = main_ = child_ = 0;
}

bool MarkupDocument::IsWellFormed() const {
  const uint32_t root = index_[0].firstChild;
  return root != 0 && index_[root].nextSibling == 0 &&
         (index_[0].flags & kMarkupIllFormedPart) == 0;
}

std::string_view MarkupDocument::TagName(uint32_t element) const {
  const MarkupElement& record = index_[element];
  return MarkupTagName(std::string_view(text_).substr(record.start + 1, record.startTagLength - 1));
}

bool MarkupDocument::HasName(uint32_t element, std::string_view name) const {
  const MarkupElement& record = index_[element];
  // The start tag ends with ">", so a name shorter than the tag leaves a byte to check.
  return name.size() + 1 < record.startTagLength &&
         text_.compare(record.start + 1, name.size(), name) == 0 &&
         IsMarkupNameEnd(text_[record.start + 1 + name.size()]);
}

bool MarkupDocument::IsEmptyElement(uint32_t element) const {
  const MarkupElement& record = index_[element];
  return element != 0 && record.endTagLength == 0 && (record.flags & kMarkupNotEnded) == 0;
}

uint32_t MarkupDocument::LastChild(uint32_t parent) const {
  const uint32_t first = index_[parent].firstChild;
  return first == 0 ? 0 : index_[first].previousSibling;
}

bool MarkupDocument::FindElement(std::string_view name) {
  uint32_t element = main_ != 0 ? index_[main_].nextSibling : index_[parent_].firstChild;
  for (; element != 0; element = index_[element].nextSibling) {
    if (name.empty() || HasName(element, name)) {
      main_ = element;
      child_ = 0;
      return true;
    }
  }
  return false;
}

bool MarkupDocument::EnterElement() {
  if (main_ == 0) return false;
  parent_ = main_;
  main_ = child_;
  child_ = 0;
  return true;
}

bool MarkupDocument::LeaveElement() {
  if (parent_ == 0) return false;
  child_ = main_;
  main_ = parent_;
  parent_ = index_[parent_].parent;
  return true;
}

bool MarkupDocument::ResetMainPosition() {
  main_ = 0;
  child_ = 0;
  return true;
}

std::string MarkupDocument::GetAttribute(std::string_view name) const {
  if (main_ == 0) return {};
  const MarkupElement& record = index_[main_];
  const std::string_view tag = std::string_view(text_).substr(record.start, record.startTagLength);
  const MarkupAttributeLookup lookup = FindMarkupAttribute(tag, name);
  if (!lookup.found) return {};
  const MarkupAttributeSpan& span = *lookup.found;
  return ResolveMarkupReferences(tag.substr(span.textBegin, span.textEnd - span.textBegin), build_);
}

bool MarkupDocument::SetAttribute(std::string_view name, std::string_view value) {
  return SetAttributeText(name, value);
}

bool MarkupDocument::SetAttribute(std::string_view name, int value) {
  return SetAttributeText(name, FormatNumber("%d", value));
}

bool MarkupDocument::SetAttributeReal(std::string_view name, double value) {
  return SetAttributeText(name, FormatNumber("%f", value));
}

bool MarkupDocument::SetAttributeHex(std::string_view name, unsigned value) {
  return SetAttributeText(name, FormatNumber("%X", value));
}

bool MarkupDocument::SetAttributeText(std::string_view name, std::string_view value) {
  if (main_ == 0 || !IsWritableName(name)) return false;
  const uint32_t start = index_[main_].start;
  const std::string_view tag = std::string_view(text_).substr(start, index_[main_].startTagLength);
  const MarkupAttributeLookup lookup = FindMarkupAttribute(tag, name);
  const std::string quoted = '"' + EscapeMarkupText(value, MarkupEscapeSet::kAttribute) + '"';
  std::optional<uint32_t> delta;
  if (!lookup.found) {
    delta = Splice(start + lookup.end, 0, ' ' + std::string(name) + '=' + quoted);
  } else if (lookup.found->assigned) {
    const MarkupAttributeSpan& span = *lookup.found;
    delta = Splice(start + span.valueBegin, span.valueEnd - span.valueBegin, quoted);
  } else {
    delta = Splice(start + lookup.found->valueBegin, 0, '=' + quoted);
  }
  if (!delta) return false;
  index_[main_].startTagLength += *delta;
  ShiftFollowing(main_, 0, *delta);
  GrowEnclosing(main_, *delta);
  return true;
}

bool MarkupDocument::AddElement(std::string_view name) { return AddElementText(name, {}); }

bool MarkupDocument::AddElement(std::string_view name, std::string_view value) {
  return AddElementText(name, value);
}

bool MarkupDocument::AddElement(std::string_view name, int value) {
  return AddElementText(name, FormatNumber("%d", value));
}

bool MarkupDocument::AddElementText(std::string_view name, std::optional<std::string_view> value) {
  if (!IsWritableElementName(name)) return false;
  std::string element = '<' + std::string(name);
  const size_t startTagLength = element.size() + (value ? 1 : 2);
  size_t endTagLength = 0;
  if (value) {
    element += '>' + EscapeMarkupText(*value, MarkupEscapeSet::kElementText) + "</";
    element += name;
    element += '>';
    endTagLength = name.size() + 3;
  } else {
    element += "/>";
  }
  const size_t elementLength = element.size();
  element += "\r\n";

  const bool parentWasEmpty = IsEmptyElement(parent_);
  const Insertion insertion = PlaceElement(std::move(element));
  const std::optional<uint32_t> delta = Splice(insertion.offset, insertion.removed, insertion.text);
  if (!delta) return false;

  const uint32_t previous = main_ != 0 ? main_ : LastChild(parent_);
  if (parentWasEmpty) {
    index_[parent_].startTagLength -= insertion.parentStartTagShrink;
    index_[parent_].endTagLength = static_cast<uint32_t>(TagName(parent_).size() + 3);
  }
  ShiftFollowing(parent_, previous, *delta);
  GrowEnclosing(parent_, *delta);

  const uint32_t added = index_.Add();
  MarkupElement& record = index_[added];
  record.start = static_cast<uint32_t>(insertion.elementStart);
  record.length = static_cast<uint32_t>(elementLength);
  record.startTagLength = static_cast<uint32_t>(startTagLength);
  record.endTagLength = static_cast<uint32_t>(endTagLength);
  record.parent = parent_;
  if (previous == 0) {
    index_[parent_].firstChild = added;
    record.previousSibling = added;
  } else {
    const uint32_t next = index_[previous].nextSibling;
    record.previousSibling = previous;
    record.nextSibling = next;
    index_[previous].nextSibling = added;
    // The first child's previous sibling is the last child.
    index_[next != 0 ? next : index_[parent_].firstChild].previousSibling = added;
  }
  main_ = added;
  child_ = 0;
  return true;
}

MarkupDocument::Insertion MarkupDocument::PlaceElement(std::string element) const {
  const MarkupElement& parent = index_[parent_];
  const size_t contentEnd = parent.start + parent.length - parent.endTagLength;
  if (IsEmptyElement(parent_)) {
    // An empty parent: <parent .../> becomes <parent ...>, CR LF, the element and </parent>.
    // A tag that ended in "//>" keeps its other "/" apart from the ">", so that it does not
    // read as an empty element's tag again.
    const size_t slash = parent.start + parent.startTagLength - 2;
    const std::string_view closing = text_[slash - 1] == '/' ? " >" : ">";
    return {slash, 2,
            std::string(closing) + "\r\n" + element + "</" + std::string(TagName(parent_)) + '>',
            slash + closing.size() + 2, static_cast<uint32_t>(2 - closing.size())};
  }
  if (parent_ != 0 && parent.length == parent.startTagLength + parent.endTagLength) {
    // Nothing between the parent's start and end tags: the element starts a line of its own.
    const size_t afterStartTag = parent.start + parent.startTagLength;
    return {afterStartTag, 0, "\r\n" + element, afterStartTag + 2, 0};
  }
  size_t offset = contentEnd;
  if (main_ != 0) {
    // After the main element, or on the next line when only white space separates it from
    // the next tag or the end of the parent's content.
    const MarkupElement& main = index_[main_];
    offset = main.start + main.length;
    size_t next = offset;
    while (next < contentEnd && IsMarkupSpace(text_[next])) ++next;
    if (next == contentEnd || text_[next] == '<') offset = next;
  }
  return {offset, 0, std::move(element), offset, 0};
}

std::optional<uint32_t> MarkupDocument::Splice(size_t offset, size_t removed,
                                               std::string_view inserted) {
  if (text_.size() - removed + inserted.size() > kMaxMarkupTextLength) return std::nullopt;
  text_.replace(offset, removed, inserted);
  return static_cast<uint32_t>(inserted.size() - removed);
}

void MarkupDocument::ShiftFollowing(uint32_t container, uint32_t previous, uint32_t delta) {
  uint32_t sibling = previous != 0 ? index_[previous].nextSibling : index_[container].firstChild;
  for (; sibling != 0; sibling = index_[sibling].nextSibling) ShiftSubtree(sibling, delta);
  for (uint32_t outer = container; outer != 0; outer = index_[outer].parent) {
    for (sibling = index_[outer].nextSibling; sibling != 0; sibling = index_[sibling].nextSibling) {
      ShiftSubtree(sibling, delta);
    }
  }
}

void MarkupDocument::ShiftSubtree(uint32_t element, uint32_t delta) {
  uint32_t at = element;
  while (true) {
    index_[at].start += delta;
    if (index_[at].firstChild != 0) {
      at = index_[at].firstChild;
      continue;
    }
    while (at != element && index_[at].nextSibling == 0) at = index_[at].parent;
    if (at == element) return;
    at = index_[at].nextSibling;
  }
}

void MarkupDocument::GrowEnclosing(uint32_t element, uint32_t delta) {
  for (uint32_t outer = element;; outer = index_[outer].parent) {
    index_[outer].length += delta;
    if (outer == 0) return;
  }
}

const std::string& MarkupDocument::GetResult() const { return result_; }

}  // namespace tavrel
