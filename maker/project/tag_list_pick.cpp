#include "maker/project/tag_list_pick.h"

namespace tavrel {

std::vector<TagCandidate> PickFromTagList(const std::map<std::string, TagListAttributes>& tagList,
                                          std::string_view text) {
  std::vector<TagCandidate> picked;
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    const auto found = tagList.find(std::string(line));
    if (found == tagList.end()) continue;
    TagCandidate& candidate = picked.emplace_back();
    candidate.id = line;
    candidate.vt = found->second.dt;
    candidate.dir = found->second.ar;
  }
  return picked;
}

}  // namespace tavrel
