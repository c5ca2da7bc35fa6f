// A small project for the desktop tests: server S1, group G1 (description "first"), tags
// a.b.c (Double, read and write), level (Short, read only) and flag (Boolean, write only).
#pragma once

#include <memory>

#include "bridge/core/bridge_project.h"

namespace tavrel {

inline std::unique_ptr<BridgeProject> MakeUiTestProject() {
  ProjectGroupRecord group;
  group.name = "G1";
  group.desc = "first";
  group.tags = {{"a.b.c", 5, 3}, {"level", 2, 1}, {"flag", 11, 2}};
  ProjectServerRecord server;
  server.name = "S1";
  server.groups = {group};
  return std::make_unique<BridgeProject>(std::vector<ProjectServerRecord>{server});
}

}  // namespace tavrel
