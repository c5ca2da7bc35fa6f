// WrittenTextBound: the longest value text the bridge lets anyone write, so that the value
// snapshot (api_commands.h) of the project always fits one reply frame (wire/api_frame.h).
//
// Each entry of the snapshot is bounded: its attributes at their widest, its `k` (the server,
// group and tag names) escaped, and its value, a number at its widest or a text. A text byte
// takes at most six bytes escaped ("&quot;"), so each text tag may hold a written text of
// (what the frame leaves after the widest entries of all tags) / (6 x text tags) bytes. Texts
// a server delivers on its own are not bounded here, only those written through the bridge.
// No bound (SIZE_MAX) for a project without text tags; 0 when the entries alone could fill
// the frame.
#pragma once

#include <cstddef>

#include "bridge/core/bridge_project.h"

namespace tavrel {

std::size_t WrittenTextBound(const BridgeProject& project, std::size_t statusTags);

}  // namespace tavrel
