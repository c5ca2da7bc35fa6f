#include "maker/project/csv_tags.h"

#include <array>
#include <fstream>
#include <iterator>

#include "common/decimal_text.h"

namespace tavrel {

namespace {

// The first three fields of `line` and how many fields it has (the empty field after a last
// "," not counted).
struct CsvFields {
  std::array<std::string_view, 3> first;
  std::size_t count = 0;
};

CsvFields SplitLine(std::string_view line) {
  CsvFields fields;
  while (true) {
    const std::size_t comma = line.find(',');
    if (fields.count < fields.first.size()) fields.first[fields.count] = line.substr(0, comma);
    ++fields.count;
    if (comma == std::string_view::npos) return fields;
    line.remove_prefix(comma + 1);
    if (line.empty()) return fields;
  }
}

}  // namespace

std::vector<TagCandidate> ParseCsvTags(std::string_view text) {
  std::vector<TagCandidate> tags;
  bool headerChecked = false;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const CsvFields fields = SplitLine(line);
    if (fields.count < 2) continue;
    if (!headerChecked) {
      headerChecked = true;
      if (fields.first[0] == kCsvHeaderId) continue;
    }
    TagCandidate& tag = tags.emplace_back();
    tag.id = fields.first[0];
    tag.vt = ParseDecimal(fields.first[1]);
    if (fields.count >= 3) tag.dir = ParseDecimal(fields.first[2]);
  }
  return tags;
}

bool ReadOrCreateCsvFile(const std::string& path, std::string* text) {
  // Opening for appending creates a missing file and leaves an existing one as it is.
  if (!std::ofstream(path, std::ios::app | std::ios::binary)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace tavrel
