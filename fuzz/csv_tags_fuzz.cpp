// Fuzz target: any bytes as the CSV file of the tag import. Every tag read must be one line's
// first field (no "," or line feed in its id), there are never more tags than lines, and the
// tags written back as CSV lines under a header must read as the same tags.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "maker/project/csv_tags.h"

namespace tavrel {

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<TagCandidate> tags = ParseCsvTags(text);

  std::size_t lines = 1;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  if (tags.size() > lines) std::abort();

  std::string written = std::string(kCsvHeaderId) + ",vt,dir\n";
  for (const TagCandidate& tag : tags) {
    if (tag.id.find_first_of(",\n") != std::string::npos) std::abort();
    if (!tag.desc.empty() || !tag.path.empty()) std::abort();
    written += tag.id + "," + std::to_string(tag.vt) + "," + std::to_string(tag.dir) + "\n";
  }
  if (ParseCsvTags(written) != tags) std::abort();
  return 0;
}

}  // namespace tavrel
