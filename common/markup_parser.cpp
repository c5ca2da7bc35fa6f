#include "common/markup_parser.h"

#include <cstring>
#include <string>
#include <unordered_map>

#include "common/markup_tag.h"

namespace tavrel {

namespace {

constexpr size_t kStop = std::string_view::npos;

class MarkupParser {
 public:
  MarkupParser(std::string_view text, MarkupElementIndex& index) : text_(text), index_(index) {}

  std::vector<MarkupParseIssue> Run();

 private:
  struct OpenElement {
    uint32_t index;
    uint32_t start;
    uint32_t nameLength;
  };

  // Each Parse* function is given the offset of a token's "<" and returns where scanning
  // goes on, or kStop.
  size_t ParseStartTag(size_t at);
  size_t ParseEndTag(size_t at);
  size_t ParseExclamation(size_t at);
  size_t ParseDoctype(size_t at);
  // Skips a token from `at` up to and including `terminator`, searched from `from`.
  size_t SkipPast(size_t at, size_t from, std::string_view terminator, MarkupToken token);
  // Skips the quoted text starting at `at`; kStop when its closing quote is missing.
  size_t SkipQuoted(size_t at) const;

  uint32_t Current() const { return open_.empty() ? 0 : open_.back().index; }
  std::string_view NameOf(const OpenElement& element) const {
    return text_.substr(element.start + 1, element.nameLength);
  }
  void AppendChild(uint32_t parent, uint32_t child);
  void Push(const OpenElement& element);
  void Pop();
  // The position in open_ of the innermost open element named `name`, or kStop.
  size_t FindOpen(std::string_view name);
  // Closes the innermost open element with the end tag from `endTagAt` to `end`.
  void CloseMatched(size_t endTagAt, size_t end);
  // Closes open_[keep..] as not ended, outermost first; their children become following
  // siblings, children of open_[keep - 1] (of the document when keep is 0).
  void CloseUnended(size_t keep, std::string_view endTagName, size_t endTagOffset);
  void MarkIllFormed(uint32_t element);
  void Syntax(MarkupIssueKind kind, size_t at, MarkupToken token = MarkupToken::kUnknown);
  // Records `issue` while fewer than kMaxMarkupParseIssues are recorded.
  void Record(const MarkupParseIssue& issue);
  void CheckRoot();

  // Above this depth, unmatched end tags would make the search of open_ quadratic; from then
  // on the parser counts the open elements by name.
  static constexpr size_t kDirectSearchDepth = 32;

  std::string_view text_;
  MarkupElementIndex& index_;
  std::vector<OpenElement> open_;
  bool countingNames_ = false;
  std::unordered_map<std::string_view, uint32_t> openNames_;
  std::vector<MarkupParseIssue> issues_;
};

std::vector<MarkupParseIssue> MarkupParser::Run() {
  if (text_.size() > kMaxMarkupTextLength) {
    index_.Reset(0);
    Record({MarkupIssueKind::kNoRootElement, 0, {}, {}, 0, MarkupToken::kUnknown});
    return std::move(issues_);
  }
  index_.Reset(text_.size());
  index_[0].length = static_cast<uint32_t>(text_.size());
  if (text_.empty()) return {};

  const char* const data = text_.data();
  const size_t size = text_.size();
  size_t at = 0;
  while (at < size) {
    const void* lessThan = std::memchr(data + at, '<', size - at);
    if (lessThan == nullptr) break;
    at = static_cast<size_t>(static_cast<const char*>(lessThan) - data);
    if (at + 1 >= size) {
      Syntax(MarkupIssueKind::kUnterminatedTagSyntax, at);
      break;
    }
    const char kind = data[at + 1];
    if (IsMarkupNameStart(kind)) {
      at = ParseStartTag(at);
    } else if (kind == '/') {
      at = ParseEndTag(at);
    } else if (kind == '?') {
      at = SkipPast(at, at + 2, "?>", MarkupToken::kProcessingInstruction);
    } else if (kind == '!') {
      at = ParseExclamation(at);
    } else {
      Syntax(MarkupIssueKind::kFirstTagSyntax, at);
      ++at;
    }
  }
  CloseUnended(0, {}, size);
  CheckRoot();
  return std::move(issues_);
}

size_t MarkupParser::ParseStartTag(size_t at) {
  const char* const data = text_.data();
  const size_t size = text_.size();
  size_t end = at + 1;
  while (end < size && !IsMarkupNameEnd(data[end])) ++end;
  const size_t nameLength = end - at - 1;
  while (true) {
    if (end >= size) {
      Syntax(MarkupIssueKind::kUnterminatedTagSyntax, at, MarkupToken::kStartTag);
      return kStop;
    }
    const char c = data[end];
    if (c == '>') break;
    if (c == '"' || c == '\'') {
      end = SkipQuoted(end);
      if (end == kStop) {
        Syntax(MarkupIssueKind::kUnterminatedTagSyntax, at, MarkupToken::kStartTag);
        return kStop;
      }
      continue;
    }
    ++end;
  }
  ++end;  // past ">"
  const uint32_t element = index_.Add();
  MarkupElement& record = index_[element];
  record.start = static_cast<uint32_t>(at);
  record.startTagLength = static_cast<uint32_t>(end - at);
  // The tag's name begins with a character that is not "/", so "/>" closes an empty element.
  const bool empty = data[end - 2] == '/';
  if (empty) record.length = record.startTagLength;
  AppendChild(Current(), element);
  if (!empty) {
    Push({element, static_cast<uint32_t>(at), static_cast<uint32_t>(nameLength)});
  }
  return end;
}

size_t MarkupParser::ParseEndTag(size_t at) {
  const std::string_view name = MarkupTagName(text_.substr(at + 2));
  const size_t nameEnd = at + 2 + name.size();
  const size_t greaterThan = text_.find('>', nameEnd);
  if (greaterThan == std::string_view::npos) {
    Syntax(MarkupIssueKind::kUnterminatedTagSyntax, at, MarkupToken::kEndTag);
    return kStop;
  }
  const size_t end = greaterThan + 1;
  if (!open_.empty() && NameOf(open_.back()) == name) {
    CloseMatched(at, end);
    return end;
  }
  const size_t match = FindOpen(name);
  if (match == kStop) {
    Record({MarkupIssueKind::kLoneEndTag,
            static_cast<uint32_t>(at),
            name,
            {},
            0,
            MarkupToken::kEndTag});
    MarkIllFormed(Current());
    return end;
  }
  CloseUnended(match + 1, name, at);
  CloseMatched(at, end);
  return end;
}

size_t MarkupParser::ParseExclamation(size_t at) {
  if (at + 2 >= text_.size()) {
    Syntax(MarkupIssueKind::kUnterminatedTagSyntax, at);
    return kStop;
  }
  switch (text_[at + 2]) {
    case '-':
      if (at + 3 >= text_.size()) {
        Syntax(MarkupIssueKind::kUnterminatedTagSyntax, at, MarkupToken::kComment);
        return kStop;
      }
      if (text_[at + 3] != '-') {
        Syntax(MarkupIssueKind::kCommentTagSyntax, at);
        return at + 1;
      }
      return SkipPast(at, at + 4, "-->", MarkupToken::kComment);
    case '[':
      if (at + 3 >= text_.size()) {
        Syntax(MarkupIssueKind::kUnterminatedTagSyntax, at, MarkupToken::kCdataSection);
        return kStop;
      }
      if (text_[at + 3] != 'C') {
        Syntax(MarkupIssueKind::kCdataSectionSyntax, at);
        return at + 1;
      }
      return SkipPast(at, at + 4, "]]>", MarkupToken::kCdataSection);
    case 'D':
      return ParseDoctype(at);
    default:
      Syntax(MarkupIssueKind::kExclamationTagSyntax, at);
      return at + 1;
  }
}

size_t MarkupParser::ParseDoctype(size_t at) {
  const size_t size = text_.size();
  bool inSubset = false;
  size_t i = at + 3;
  while (i < size) {
    const char c = text_[i];
    if (c == '"' || c == '\'') {
      i = SkipQuoted(i);
      if (i == kStop) break;
      continue;
    }
    if (c == '>' && !inSubset) return i + 1;
    if (c == '[') inSubset = true;
    if (c == ']') inSubset = false;
    if (c == '<' && inSubset && i + 1 < size && (text_[i + 1] == '!' || text_[i + 1] == '?')) {
      // A markup declaration, comment or processing instruction of the internal subset.
      const std::string_view rest = text_.substr(i + 1);
      if (rest.starts_with("?")) {
        i = text_.find("?>", i + 2);
        if (i == std::string_view::npos) break;
        i += 2;
      } else if (rest.starts_with("!--")) {
        i = text_.find("-->", i + 4);
        if (i == std::string_view::npos) break;
        i += 3;
      } else if (rest.size() < 2) {
        break;
      } else if (rest[1] == 'E' || rest[1] == 'A' || rest[1] == 'N') {
        i += 2;
        while (i < size && text_[i] != '>') {
          i = (text_[i] == '"' || text_[i] == '\'') ? SkipQuoted(i) : i + 1;
          if (i == kStop) break;
        }
        if (i == kStop || i >= size) break;
        ++i;
      } else {
        Syntax(MarkupIssueKind::kDoctypeTagSyntax, i);
        return i + 1;
      }
      continue;
    }
    ++i;
  }
  Syntax(MarkupIssueKind::kUnterminatedTagSyntax, at, MarkupToken::kDoctype);
  return kStop;
}

size_t MarkupParser::SkipPast(size_t at, size_t from, std::string_view terminator,
                              MarkupToken token) {
  const size_t found = text_.find(terminator, from);
  if (found == std::string_view::npos) {
    Syntax(MarkupIssueKind::kUnterminatedTagSyntax, at, token);
    return kStop;
  }
  return found + terminator.size();
}

size_t MarkupParser::SkipQuoted(size_t at) const {
  const void* close = std::memchr(text_.data() + at + 1, text_[at], text_.size() - at - 1);
  if (close == nullptr) return kStop;
  return static_cast<size_t>(static_cast<const char*>(close) - text_.data()) + 1;
}

void MarkupParser::AppendChild(uint32_t parent, uint32_t child) {
  MarkupElement& parentRecord = index_[parent];
  MarkupElement& childRecord = index_[child];
  childRecord.parent = parent;
  if (parentRecord.firstChild == 0) {
    parentRecord.firstChild = child;
    childRecord.previousSibling = child;
    return;
  }
  MarkupElement& first = index_[parentRecord.firstChild];
  index_[first.previousSibling].nextSibling = child;
  childRecord.previousSibling = first.previousSibling;
  first.previousSibling = child;
}

void MarkupParser::Push(const OpenElement& element) {
  open_.push_back(element);
  if (countingNames_) ++openNames_[NameOf(element)];
}

void MarkupParser::Pop() {
  if (countingNames_) {
    const auto counted = openNames_.find(NameOf(open_.back()));
    if (--counted->second == 0) openNames_.erase(counted);
  }
  open_.pop_back();
}

size_t MarkupParser::FindOpen(std::string_view name) {
  if (!countingNames_ && open_.size() > kDirectSearchDepth) {
    countingNames_ = true;
    for (const OpenElement& element : open_) ++openNames_[NameOf(element)];
  }
  if (countingNames_ && !openNames_.contains(name)) return kStop;
  for (size_t at = open_.size(); at-- > 0;) {
    if (NameOf(open_[at]) == name) return at;
  }
  return kStop;
}

void MarkupParser::CloseMatched(size_t endTagAt, size_t end) {
  MarkupElement& record = index_[open_.back().index];
  record.length = static_cast<uint32_t>(end - record.start);
  record.endTagLength = static_cast<uint32_t>(end - endTagAt);
  Pop();
}

void MarkupParser::CloseUnended(size_t keep, std::string_view endTagName, size_t endTagOffset) {
  if (keep >= open_.size()) return;
  const uint32_t target = keep == 0 ? 0 : open_[keep - 1].index;
  for (size_t at = keep; at < open_.size(); ++at) {
    const uint32_t element = open_[at].index;
    MarkupElement& record = index_[element];
    record.flags |= kMarkupNotEnded;
    record.length = record.startTagLength;
    Record({MarkupIssueKind::kUnendedStartTag, record.start, NameOf(open_[at]), endTagName,
            static_cast<uint32_t>(endTagOffset), MarkupToken::kStartTag});
    // The element is the last child of `target`; its children follow it there.
    const uint32_t first = record.firstChild;
    if (first == 0) continue;
    const uint32_t last = index_[first].previousSibling;
    for (uint32_t child = first; child != 0; child = index_[child].nextSibling) {
      index_[child].parent = target;
    }
    record.firstChild = 0;
    record.nextSibling = first;
    index_[first].previousSibling = element;
    index_[index_[target].firstChild].previousSibling = last;
  }
  while (open_.size() > keep) Pop();
  MarkIllFormed(target);
}

void MarkupParser::MarkIllFormed(uint32_t element) {
  index_[element].flags |= kMarkupIllFormedPart;
  index_[0].flags |= kMarkupIllFormedPart;
}

void MarkupParser::Syntax(MarkupIssueKind kind, size_t at, MarkupToken token) {
  Record({kind, static_cast<uint32_t>(at), {}, {}, 0, token});
  MarkIllFormed(Current());
}

void MarkupParser::Record(const MarkupParseIssue& issue) {
  if (issues_.size() < kMaxMarkupParseIssues) issues_.push_back(issue);
}

void MarkupParser::CheckRoot() {
  const uint32_t root = index_[0].firstChild;
  if (root == 0) {
    Record({MarkupIssueKind::kNoRootElement, 0, {}, {}, 0, MarkupToken::kUnknown});
    return;
  }
  const uint32_t sibling = index_[root].nextSibling;
  if (sibling == 0) return;
  const uint32_t start = index_[sibling].start;
  Record({MarkupIssueKind::kRootHasSibling,
          start,
          MarkupTagName(text_.substr(start + 1)),
          {},
          0,
          MarkupToken::kStartTag});
}

}  // namespace

std::vector<MarkupParseIssue> ParseMarkup(std::string_view text, MarkupElementIndex& index) {
  return MarkupParser(text, index).Run();
}

}  // namespace tavrel
