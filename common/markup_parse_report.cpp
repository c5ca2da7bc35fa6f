#include "common/markup_parse_report.h"

#include <algorithm>
#include <functional>

#include "common/markup_element_index.h"
#include "common/markup_result.h"

namespace tavrel {

namespace {

std::string_view RecordName(MarkupIssueKind kind) {
  switch (kind) {
    case MarkupIssueKind::kNoRootElement:
      return "no_root_element";
    case MarkupIssueKind::kRootHasSibling:
      return "root_has_sibling";
    case MarkupIssueKind::kLoneEndTag:
      return "lone_end_tag";
    case MarkupIssueKind::kUnendedStartTag:
      return "unended_start_tag";
    case MarkupIssueKind::kFirstTagSyntax:
      return "first_tag_syntax";
    case MarkupIssueKind::kExclamationTagSyntax:
      return "exclamation_tag_syntax";
    case MarkupIssueKind::kDoctypeTagSyntax:
      return "doctype_tag_syntax";
    case MarkupIssueKind::kCommentTagSyntax:
      return "comment_tag_syntax";
    case MarkupIssueKind::kCdataSectionSyntax:
      return "cdata_section_syntax";
    case MarkupIssueKind::kUnterminatedTagSyntax:
      return "unterminated_tag_syntax";
  }
  return {};
}

void AppendRecord(const MarkupParseIssue& issue, std::string& result) {
  const std::string_view name = RecordName(issue.kind);
  const std::string offset = std::to_string(issue.offset);
  switch (issue.kind) {
    case MarkupIssueKind::kNoRootElement:
      AppendMarkupResult(result, name);
      return;
    case MarkupIssueKind::kRootHasSibling:
    case MarkupIssueKind::kLoneEndTag:
      AppendMarkupResult(result, name, {{"tagname", std::string(issue.name)}, {"offset", offset}});
      return;
    case MarkupIssueKind::kUnendedStartTag:
      AppendMarkupResult(result, name,
                         {{"tagname", std::string(issue.name)},
                          {"offset", offset},
                          {"offset2", std::to_string(issue.endTagOffset)}});
      return;
    default:
      AppendMarkupResult(result, name, {{"offset", offset}});
      return;
  }
}

std::string_view TokenText(MarkupToken token) {
  switch (token) {
    case MarkupToken::kEndTag:
      return "End tag";
    case MarkupToken::kProcessingInstruction:
      return "Processing instruction";
    case MarkupToken::kComment:
      return "Comment";
    case MarkupToken::kCdataSection:
      return "CDATA section";
    case MarkupToken::kDoctype:
      return "DOCTYPE";
    case MarkupToken::kStartTag:
    case MarkupToken::kUnknown:
      break;
  }
  return "Tag";
}

std::string Quoted(std::string_view name) {
  std::string quoted(1, '\'');
  quoted += name;
  quoted += '\'';
  return quoted;
}

// The error text of the bridge build; `at` writes an offset.
std::string ErrorText(const MarkupParseIssue& issue,
                      const std::function<std::string(uint32_t)>& at) {
  const std::string offset = at(issue.offset);
  switch (issue.kind) {
    case MarkupIssueKind::kNoRootElement:
      return "No root element";
    case MarkupIssueKind::kRootHasSibling:
      return "Root element has sibling";
    case MarkupIssueKind::kLoneEndTag:
      return "No start tag for end tag " + Quoted(issue.name) + " at offset " + offset;
    case MarkupIssueKind::kUnendedStartTag:
      if (issue.endTagName.empty()) {
        return "Element " + Quoted(issue.name) + " at offset " + offset + " not ended";
      }
      return "End tag " + Quoted(issue.endTagName) + " at offset " + at(issue.endTagOffset) +
             " does not match start tag " + Quoted(issue.name) + " at offset " + offset;
    case MarkupIssueKind::kUnterminatedTagSyntax:
      return std::string(TokenText(issue.token)) + " at offset " + offset + " unterminated";
    case MarkupIssueKind::kFirstTagSyntax:
      return "Incorrect tag name character at offset " + offset;
    case MarkupIssueKind::kExclamationTagSyntax:
      return "Incorrect ! tag at offset " + offset;
    case MarkupIssueKind::kCommentTagSyntax:
      return "Incorrect comment tag at offset " + offset;
    case MarkupIssueKind::kDoctypeTagSyntax:
    case MarkupIssueKind::kCdataSectionSyntax:
      return "Incorrect tag at offset " + offset;
  }
  return {};
}

}  // namespace

void AppendMarkupErrorText(std::string& result, std::string_view text) {
  if (!result.empty()) result += ", ";
  result += text;
}

void ReportMarkupIssues(std::span<const MarkupParseIssue> issues, bool emptyText, MarkupBuild build,
                        std::string& result) {
  if (build == MarkupBuild::kBridge) {
    if (emptyText) AppendMarkupErrorText(result, "Empty document");
    for (const MarkupParseIssue& issue : issues) {
      AppendMarkupErrorText(
          result, ErrorText(issue, [](uint32_t offset) { return std::to_string(offset); }));
    }
    return;
  }
  for (const MarkupParseIssue& issue : issues) AppendRecord(issue, result);
}

std::string DescribeMarkupProblems(std::string_view text) {
  if (text.empty()) return "Empty document";
  MarkupElementIndex index;
  const std::vector<MarkupParseIssue> issues = ParseMarkup(text, index);
  // Lines counted from 1 at each LF; columns in characters from 1, a GBK pair being one.
  const auto at = [text](uint32_t offset) {
    const std::string_view before = text.substr(0, std::min<size_t>(offset, text.size()));
    const size_t lastBreak = before.rfind('\n');
    const size_t lineStart = lastBreak == std::string_view::npos ? 0 : lastBreak + 1;
    size_t column = 1;
    for (size_t i = lineStart; i < before.size(); ++i, ++column) {
      if (static_cast<unsigned char>(before[i]) >= 0x81 && i + 1 < before.size()) ++i;
    }
    const size_t line = 1 + static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
    return std::to_string(offset) + " (line " + std::to_string(line) + ", column " +
           std::to_string(column) + ")";
  };
  std::string result;
  for (const MarkupParseIssue& issue : issues) AppendMarkupErrorText(result, ErrorText(issue, at));
  return result;
}

}  // namespace tavrel
