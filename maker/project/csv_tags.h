// The CSV file of the import "Load Tag From Disk": one tag per line, fields separated by ",".
//
//   id___opc,vt,dir          an optional header, recognised on the first line of two fields
//   Plant.Temperature,5,3    item id, canonical data type (decimal VARTYPE), access rights
//
// A line is split at every ","; a field may be empty, and the empty field after a last ","
// is dropped. Lines of fewer than two fields are skipped. Of the first line with two fields
// or more, a first field of exactly "id___opc" makes it the header, which is skipped; no later
// line is a header. Numbers are read as atoi reads them (no digits: 0). A line without a third
// field keeps the candidate's default direction, 1 (read). Further fields are ignored. A line
// ends at LF; a CR before it belongs to the line break, not to the last field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "maker/project/tag_candidates.h"

namespace tavrel {

inline constexpr char kCsvHeaderId[] = "id___opc";

// The tags of the CSV `text`: id, vt and dir; name, description and path stay empty.
std::vector<TagCandidate> ParseCsvTags(std::string_view text);

// Reads the file at `path` into `text`, creating it empty when it does not exist; false when
// it can be neither read nor created.
bool ReadOrCreateCsvFile(const std::string& path, std::string* text);

}  // namespace tavrel
