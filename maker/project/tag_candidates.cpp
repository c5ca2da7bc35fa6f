#include "maker/project/tag_candidates.h"

#include <unordered_set>

namespace tavrel {

namespace {

TagNode& AppendTag(GroupNode& group, const TagCandidate& candidate) {
  auto& tag = group.tags.emplace_back(std::make_unique<TagNode>(&group));
  tag->id = candidate.id;
  tag->vt = candidate.vt;
  tag->dir = candidate.dir;
  tag->path = candidate.path;
  tag->desc = candidate.desc;
  return *tag;
}

}  // namespace

void AppendUnnamedTags(GroupNode& group, const std::vector<TagCandidate>& candidates) {
  group.tags.reserve(group.tags.size() + candidates.size());
  for (const TagCandidate& candidate : candidates) AppendTag(group, candidate);
}

CandidatesAdded AddTagCandidates(GroupNode& group, const std::vector<TagCandidate>& candidates) {
  std::unordered_set<std::string> names;
  for (const auto& sibling : group.parent->groups) {
    for (const auto& tag : sibling->tags) names.insert(tag->name.empty() ? tag->id : tag->name);
  }
  CandidatesAdded outcome;
  for (const TagCandidate& candidate : candidates) {
    if (!names.insert(candidate.id).second) {
      ++outcome.skipped;
      continue;
    }
    AppendTag(group, candidate).name = candidate.id;
    ++outcome.added;
  }
  return outcome;
}

}  // namespace tavrel
