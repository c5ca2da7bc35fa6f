// TagCandidate: a tag to add to a group, as the CSV import, the pick from a tag list file and the
// online browser produce them; AddTagCandidates turns them into tags.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "maker/project/project_nodes.h"

namespace tavrel {

struct TagCandidate {
  std::string id;    // OPC item id
  std::string desc;  // description
  int dir = 1;       // access rights: 1 read, 2 write, 3 read and write
  int vt = 0;        // canonical data type (VARTYPE)
  std::string path;  // access path

  bool operator==(const TagCandidate&) const = default;
};

struct CandidatesAdded {
  std::size_t added = 0;
  std::size_t skipped = 0;  // a tag of the server already stood for the candidate's id
};

// Appends a tag named after its id for each candidate, in order, unless a tag of any group of
// the group's server already stands for that id (tags added by this call included): a tag
// stands for its name, or for its id when it has no name, as the tags of the project file and
// of a CSV import have none. Costs one pass over the server's tags, not one per candidate.
CandidatesAdded AddTagCandidates(GroupNode& group, const std::vector<TagCandidate>& candidates);

// Appends a tag for each candidate, without a name and without any check (the CSV import).
void AppendUnnamedTags(GroupNode& group, const std::vector<TagCandidate>& candidates);

// The message shown once when AddTagCandidates skipped a candidate.
inline constexpr char kTagExistsMessage[] = "tag has exsit!";

}  // namespace tavrel
