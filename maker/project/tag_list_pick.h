// The pick of "从全部标签中筛点" (dialog "批量筛点"): item ids typed or pasted one per line,
// looked up in a server's tag list file.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/browse_files.h"
#include "maker/project/tag_candidates.h"

namespace tavrel {

// The lines of `text` (split at every CR and LF, empty lines dropped) found in `tagList` by
// exact, case-sensitive match, in the order typed: id, vt = dt, dir = ar. Lines not found are
// dropped.
std::vector<TagCandidate> PickFromTagList(const std::map<std::string, TagListAttributes>& tagList,
                                          std::string_view text);

}  // namespace tavrel
