#include "maker/project/project_nodes.h"

namespace tavrel {

ServerNode::ServerNode() : ProjectNode(NodeKind::kServer) {}

ServerNode::~ServerNode() {
  groups.clear();
  link.reset();
}

}  // namespace tavrel
