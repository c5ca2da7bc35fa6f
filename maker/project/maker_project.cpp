#include "maker/project/maker_project.h"

namespace tavrel {

namespace {

template <typename Node>
Node* FindNamed(const std::vector<std::unique_ptr<Node>>& nodes, std::string_view name,
                const Node* except) {
  for (const auto& node : nodes) {
    if (node.get() != except && node->name == name) return node.get();
  }
  return nullptr;
}

template <typename Node>
int SmallestFreeNumber(const std::vector<std::unique_ptr<Node>>& nodes, std::string_view prefix) {
  int n = 1;
  while (FindNamed<Node>(nodes, std::string(prefix) + std::to_string(n), nullptr) != nullptr) ++n;
  return n;
}

template <typename Node>
void RemoveFrom(std::vector<std::unique_ptr<Node>>& nodes, const Node& node) {
  std::erase_if(nodes, [&](const std::unique_ptr<Node>& owned) { return owned.get() == &node; });
}

}  // namespace

std::pair<std::string, std::string> MakerProject::ProposeServerName() const {
  const std::string n = std::to_string(SmallestFreeNumber(servers, "S"));
  return {"S" + n, "OPC_SERVER" + n};
}

std::pair<std::string, std::string> MakerProject::ProposeGroupName(const ServerNode& server) {
  const std::string n = std::to_string(SmallestFreeNumber(server.groups, "G"));
  return {"G" + n, "组" + n};
}

ServerNode* MakerProject::FindServer(std::string_view name, const ServerNode* except) const {
  return FindNamed(servers, name, except);
}

ServerNode* MakerProject::FindServerBySource(std::string_view node, std::string_view sid,
                                             const ServerNode* except) const {
  for (const auto& server : servers) {
    if (server.get() != except && server->settings.node == node && server->settings.sid == sid) {
      return server.get();
    }
  }
  return nullptr;
}

GroupNode* MakerProject::FindGroup(const ServerNode& server, std::string_view name,
                                   const GroupNode* except) {
  return FindNamed(server.groups, name, except);
}

TagNode* MakerProject::FindTag(const GroupNode& group, std::string_view name,
                               const TagNode* except) {
  return FindNamed(group.tags, name, except);
}

void MakerProject::RemoveServer(const ServerNode& server) { RemoveFrom(servers, server); }

void MakerProject::RemoveGroup(const GroupNode& group) { RemoveFrom(group.parent->groups, group); }

void MakerProject::RemoveTags(GroupNode& group, const std::unordered_set<const TagNode*>& tags) {
  std::erase_if(group.tags,
                [&](const std::unique_ptr<TagNode>& tag) { return tags.contains(tag.get()); });
}

size_t MakerProject::TagCount() const {
  size_t count = 0;
  for (const auto& server : servers) {
    for (const auto& group : server->groups) count += group->tags.size();
  }
  return count;
}

}  // namespace tavrel
