// The images of the nodes of a server tree (the bridge's main panel, the maker's project tree),
// drawn rather than shipped, at 16 and 32 pixels: the root of all servers, one OPC server, one
// group of tags.
#pragma once

#include <QIcon>

namespace tavrel {

enum class TreeItemKind {
  kRoot,    // a globe: every server the program knows
  kServer,  // a server cabinet with two drive bays and a lamp
  kGroup,   // a folder holding the group's tags
};

QIcon TreeItemIcon(TreeItemKind kind);

}  // namespace tavrel
