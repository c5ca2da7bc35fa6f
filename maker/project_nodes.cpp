#include "maker/project_nodes.h"

#include "maker/server_link.h"

ServerNode::ServerNode() : ProjectNode(NodeKind::kServer) {}

ServerNode::~ServerNode() {
  groups.clear();
  link.reset();
}
