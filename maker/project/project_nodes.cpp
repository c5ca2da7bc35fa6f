#include "maker/project/project_nodes.h"

ServerNode::ServerNode() : ProjectNode(NodeKind::kServer) {}

ServerNode::~ServerNode() {
  groups.clear();
  link.reset();
}
