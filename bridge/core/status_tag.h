// StatusTag: the tag that tells whether a server is connected, one per configured server.
//
// Held by the server's connection object. Its live value is of class integer: 1 while the
// connection holds the server, else 0, stamped with the local clock of its last refresh. Its
// handle follows those of all ordinary tags (BridgeProject::TakeNextHandle).
#pragma once

#include <string>

#include "bridge/core/project_tree.h"

namespace tavrel {

struct StatusTag {
  // `serverIndex`: the server's 0-based place in the project; `clsid`: its class identifier.
  StatusTag(int serverIndex, const std::string& clsid, TagHandle handle);

  const std::string name;         // "qz_server_status_<serverIndex>"
  const std::string description;  // "状态:" followed by the clsid
  const TagHandle handle;
  LiveValueSlot liveValue;
};

}  // namespace tavrel
