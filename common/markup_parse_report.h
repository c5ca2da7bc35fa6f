// Turning the problems of a parse into a document's diagnostics.
//
// The full build appends one result-list record per problem (common/markup_result.h):
//   <no_root_element/>, <root_has_sibling tagname=".." offset=".."/>,
//   <lone_end_tag tagname=".." offset=".."/>,
//   <unended_start_tag tagname=".." offset=".." offset2=".."/> (offset2: where its end tag was
//   expected), and <first_tag_syntax offset=".."/> and the other *_syntax records.
// The bridge build appends error texts joined with ", ": "Empty document", "No root element",
// "Root element has sibling", "No start tag for end tag '%s' at offset %d", "Element '%s' at
// offset %d not ended", "End tag '%s' at offset %d does not match start tag '%s' at offset %d",
// "%s at offset %d unterminated" and "Incorrect %s at offset %d".
#pragma once

#include <span>
#include <string>

#include "common/markup_document.h"
#include "common/markup_parser.h"

namespace tavrel {

// Appends the diagnostics of a parse of a text that was empty (`emptyText`) or produced
// `issues` to `result`.
void ReportMarkupIssues(std::span<const MarkupParseIssue> issues, bool emptyText, MarkupBuild build,
                        std::string& result);

// The problems of parsing `text` for people: the bridge build's error texts joined with ", ",
// each offset followed by its line and column (" (line 5, column 3)"; lines count LF, columns
// count characters with a GBK pair as one); "Empty document" for an empty text, empty for a
// well-formed one.
std::string DescribeMarkupProblems(std::string_view text);

// Appends one error text of the bridge build to `result`, after ", " when it is not empty.
void AppendMarkupErrorText(std::string& result, std::string_view text);

}  // namespace tavrel
