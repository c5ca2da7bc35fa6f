// MakerProject: the servers of the project being edited, in order, and the look-ups and edits
// the editor's commands make on the tree.
//
// Names are compared exactly (case matters). The look-ups skip one given node, so that a
// node being edited does not collide with itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "maker/project/project_nodes.h"

namespace tavrel {

class MakerProject {
 public:
  std::vector<std::unique_ptr<ServerNode>> servers;

  // "S<n>" and "OPC_SERVER<n>" for the smallest n >= 1 no server is named "S<n>".
  std::pair<std::string, std::string> ProposeServerName() const;
  // "G<n>" and "组<n>" for the smallest n >= 1 no group of `server` is named "G<n>".
  static std::pair<std::string, std::string> ProposeGroupName(const ServerNode& server);

  ServerNode* FindServer(std::string_view name, const ServerNode* except) const;
  ServerNode* FindServerBySource(std::string_view node, std::string_view sid,
                                 const ServerNode* except) const;
  static GroupNode* FindGroup(const ServerNode& server, std::string_view name,
                              const GroupNode* except);
  static TagNode* FindTag(const GroupNode& group, std::string_view name, const TagNode* except);

  // Take the node out of its parent's list and destroy it with all it holds.
  void RemoveServer(const ServerNode& server);
  static void RemoveGroup(const GroupNode& group);
  // Destroys every tag of `group` that is in `tags`.
  static void RemoveTags(GroupNode& group, const std::unordered_set<const TagNode*>& tags);

  size_t TagCount() const;
};

}  // namespace tavrel
