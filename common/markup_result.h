// The result list of a MarkupDocument: diagnostic records of its last load, save or parse.
//
// A record is an empty element on the list's text, e.g. <read length="812"/> or
// <lone_end_tag tagname="b" offset="12"/>; records follow each other without separators.
// Names are those of the markup layer ("file_error", "bom", "read", "write", "nulls_removed",
// "endian_swap", "converted_to", "converted_from", "conversion_loss", "utf8_detection",
// "root_has_sibling", "no_root_element", "lone_end_tag", "unended_start_tag", and the
// *_syntax names of the parser). No caller acts on them; they are for people and tests.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace tavrel {

using MarkupResultAttribute = std::pair<std::string_view, std::string>;

// Appends the record `name` with `attributes` (values escaped as attribute values).
void AppendMarkupResult(std::string& results, std::string_view name,
                        std::initializer_list<MarkupResultAttribute> attributes = {});

// True when `results` holds a record named `name`.
bool HasMarkupResult(std::string_view results, std::string_view name);

// The value of `attribute` in the first record named `name`, its references resolved; empty
// when there is no such record or attribute. E.g. the system's reason of a "file_error".
std::string MarkupResultValue(std::string_view results, std::string_view name,
                              std::string_view attribute);

// Why a load or save failed, for people: the system's reason of its "file_error" (e.g.
// "Permission denied"), or the whole results when the failure was not the file's.
std::string MarkupFailureReason(std::string_view results);

}  // namespace tavrel
