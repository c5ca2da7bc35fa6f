#include "maker/online/tag_match.h"

#include "common/code_page.h"
#include "maker/online/item_attributes.h"

namespace tavrel {

void MatchTagRange(IOPCItemMgt* items, const std::vector<std::unique_ptr<TagNode>>& tags,
                   std::size_t from, std::size_t to, std::string& errors) {
  std::vector<ItemRequest> requests;
  requests.reserve(to - from);
  for (std::size_t i = from; i < to; ++i) {
    requests.push_back({AnsiToWide(tags[i]->id), AnsiToWide(tags[i]->path)});
  }
  const auto attributes = AddItemsForAttributes(items, requests);
  for (std::size_t i = from; i < to; ++i) {
    TagNode& tag = *tags[i];
    if (const auto& found = attributes[i - from]) {
      tag.vt = found->vt;
      tag.dir = found->dir;
    } else {
      errors += tag.id + "\r\n";
    }
  }
}

std::string MatchResultText(const std::string& errors) {
  return errors.empty() ? "Match Finished No Error" : kMatchErrorHeading + errors;
}

}  // namespace tavrel
