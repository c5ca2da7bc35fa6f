// The maker's project tree: servers own their groups, groups own their tags.
//
// Every node carries a name, a description and its kind; the kind field, not virtual calls,
// tells the nodes apart (the Qt models keep a node pointer per index). A node is owned by its
// parent's child list (servers by the MakerProject) and dies with it.
//
// Group settings are kept as decimal text exactly as typed, as the project file holds them.
// A tag's name, description and access path live only in memory: the project file keeps a
// tag's item id, data type and direction.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/project_file.h"

namespace tavrel {

class ServerLink;
struct GroupNode;
struct ServerNode;

enum class NodeKind { kObject = -1, kServer = 0, kGroup = 1, kTag = 2 };

struct ProjectNode {
  explicit ProjectNode(NodeKind kind) : kind(kind) {}
  virtual ~ProjectNode() = default;
  ProjectNode(const ProjectNode&) = delete;
  ProjectNode& operator=(const ProjectNode&) = delete;

  std::string name;
  std::string desc;
  const NodeKind kind;
};

struct TagNode final : ProjectNode {
  explicit TagNode(GroupNode* parent) : ProjectNode(NodeKind::kTag), parent(parent) {}

  GroupNode* parent;
  std::string id;  // OPC item id
  int dir = 1;     // access rights: 1 read, 2 write, 3 read and write
  int vt = 0;      // canonical data type (VARTYPE)
  std::string path;
};

// A group's settings, with the values a new group starts from.
struct GroupParameters {
  std::string uptime = "1000";      // requested update rate, ms
  std::string cycle_time = "3000";  // refresh cycle, ms
  std::string timebis_minutes = "0";
  std::string percent_deadband = "0";
  std::string language_id = "1033";
  std::string active_state = "1";
  std::string datachange_type = "1";  // 0 synchronous, 1 asynchronous, 2 read attribute
  std::string additem = "0";          // 0 single, 1 batch registration

  bool operator==(const GroupParameters&) const = default;
};

struct GroupNode final : ProjectNode {
  explicit GroupNode(ServerNode* parent) : ProjectNode(NodeKind::kGroup), parent(parent) {}

  ServerNode* parent;
  GroupParameters settings;
  std::vector<std::unique_ptr<TagNode>> tags;
};

struct ServerNode final : ProjectNode {
  ServerNode();
  // Ends the live connection (maker/online/server_link.h) after the groups are gone.
  ~ServerNode() override;

  ServerSettings settings;
  std::vector<std::unique_ptr<GroupNode>> groups;
  // The live connection of the online functions; null until the first one needs it. The node is
  // its only owner; a shared_ptr binds the deleter where the link is made, so that the tree
  // needs no definition of ServerLink and the project code does not depend on the online code.
  std::shared_ptr<ServerLink> link;
};

}  // namespace tavrel
