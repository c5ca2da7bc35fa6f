// Parsing the text of a markup document into its element index.
//
// The text is scanned token by token. A token begins at "<"; the character after it decides
// its kind: a start tag (see IsMarkupNameStart), an end tag ("/"), a processing instruction
// ("?", up to "?>") or, after "!", a comment ("-", up to "-->"), a CDATA section ("[", up to
// "]]>") or a document type declaration ("D", up to the first ">" outside its internal
// subset). Only these first characters are checked. Everything between tokens is text and is
// not indexed. Attribute values in a start tag are quoted and may contain ">".
//
// Problems do not stop the parse: an end tag matches the innermost open element of its name
// (case-sensitive); the open elements passed over on the way are closed as not ended and their
// children become their following siblings; an end tag that matches no open element is lone;
// elements still open at the end of the text are closed as not ended. A "<" that begins no
// token is text. A token not closed before the end of the text ends the parse.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/markup_element_index.h"

namespace tavrel {

enum class MarkupIssueKind {
  kNoRootElement,
  kRootHasSibling,
  kLoneEndTag,
  kUnendedStartTag,
  kFirstTagSyntax,        // "<" followed by no character that begins a token
  kExclamationTagSyntax,  // "<!" followed by none of "-", "[", "D"
  kDoctypeTagSyntax,      // "<!" inside the internal subset followed by none of E, A, N, "--"
  kCommentTagSyntax,      // "<!-" not followed by "-"
  kCdataSectionSyntax,    // "<![" not followed by "C"
  kUnterminatedTagSyntax,
};

// The kinds of token, to tell which one was not closed.
enum class MarkupToken {
  kStartTag,
  kEndTag,
  kProcessingInstruction,
  kComment,
  kCdataSection,
  kDoctype,
  kUnknown,  // "<" or "<!" at the very end of the text
};

struct MarkupParseIssue {
  MarkupIssueKind kind;
  uint32_t offset;        // of the "<" of the token concerned (the root's sibling's for
                          // kRootHasSibling, 0 for kNoRootElement)
  std::string_view name;  // tag name: lone end tag, unended start tag, root's sibling
  // kUnendedStartTag: the end tag whose match passed over the element, or an empty name and
  // the text's length when the text ended with the element open.
  std::string_view endTagName;
  uint32_t endTagOffset;
  MarkupToken token;  // kUnterminatedTagSyntax: the token that was not closed
};

// The longest text that can be indexed: offsets are 32 bits.
inline constexpr size_t kMaxMarkupTextLength = UINT32_MAX;

// The most problems a parse records. Every malformed token is one, so an unbounded report of
// a hostile text would take many times the text's own size; the first ones tell what is wrong.
inline constexpr size_t kMaxMarkupParseIssues = 100;

// Indexes the elements of `text` into `index` and returns the problems found, in the order
// found, the first kMaxMarkupParseIssues of them. Record 0 covers the text and is flagged
// kMarkupIllFormedPart when any token was ill-formed (the root checks aside). An empty text gives
// no elements and no problems; a text longer than kMaxMarkupTextLength gives no elements and
// kNoRootElement.
std::vector<MarkupParseIssue> ParseMarkup(std::string_view text, MarkupElementIndex& index);

}  // namespace tavrel
