// The attribute match of "Auto Match Tag Attribute": each tag's item (id, its access path,
// active) is added to the server's internal group; a tag the server accepts takes the canonical
// data type and the access rights it reports, a refused tag is left as it was and its id,
// followed by CR LF, is appended to the error text.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "maker/project/project_nodes.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

// The tags matched per AddItems call; the dialog's chunk of work.
inline constexpr std::size_t kMatchChunk = 500;

// Matches tags [from, to) of `tags`, adding their items in one call; `items` null refuses them
// all.
void MatchTagRange(IOPCItemMgt* items, const std::vector<std::unique_ptr<TagNode>>& tags,
                   std::size_t from, std::size_t to, std::string& errors);

inline constexpr char kMatchErrorHeading[] = "Match Finished Error List:";

// "Match Finished No Error", or kMatchErrorHeading directly followed by `errors`.
std::string MatchResultText(const std::string& errors);

}  // namespace tavrel
