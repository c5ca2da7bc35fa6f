#include "maker/ui/server_tree_model.h"

#include <QFont>
#include <algorithm>

#include "desktop/gbk_text.h"
#include "desktop/item_icons.h"

namespace tavrel {

namespace {

template <typename Node>
int RowOf(const std::vector<std::unique_ptr<Node>>& nodes, const Node& node) {
  const auto found = std::find_if(nodes.begin(), nodes.end(),
                                  [&](const auto& owned) { return owned.get() == &node; });
  return found == nodes.end() ? -1 : static_cast<int>(found - nodes.begin());
}

}  // namespace

ServerTreeModel::ServerTreeModel(MakerProject& project, QObject* parent)
    : QAbstractItemModel(parent),
      project_(project),
      rootIcon_(TreeItemIcon(TreeItemKind::kRoot)),
      serverIcon_(TreeItemIcon(TreeItemKind::kServer)),
      groupIcon_(TreeItemIcon(TreeItemKind::kGroup)) {}

QModelIndex ServerTreeModel::RootIndex() const { return createIndex(0, 0, nullptr); }

QModelIndex ServerTreeModel::IndexOf(const ProjectNode& node) const {
  if (node.kind == NodeKind::kServer) {
    const int row = ServerRow(static_cast<const ServerNode&>(node));
    return row < 0 ? QModelIndex() : createIndex(row, 0, const_cast<ProjectNode*>(&node));
  }
  if (node.kind == NodeKind::kGroup) {
    const int row = GroupRow(static_cast<const GroupNode&>(node));
    return row < 0 ? QModelIndex() : createIndex(row, 0, const_cast<ProjectNode*>(&node));
  }
  return {};
}

ProjectNode* ServerTreeModel::NodeAt(const QModelIndex& index) const {
  return index.isValid() ? static_cast<ProjectNode*>(index.internalPointer()) : nullptr;
}

QModelIndex ServerTreeModel::AppendNewServer(std::unique_ptr<ServerNode> server) {
  const int row = static_cast<int>(project_.servers.size());
  beginInsertRows(RootIndex(), row, row);
  newServers_.insert(server.get());
  project_.servers.push_back(std::move(server));
  endInsertRows();
  return index(row, 0, RootIndex());
}

QModelIndex ServerTreeModel::AppendGroup(ServerNode& server, std::unique_ptr<GroupNode> group) {
  const int row = static_cast<int>(server.groups.size());
  beginInsertRows(IndexOf(server), row, row);
  server.groups.push_back(std::move(group));
  endInsertRows();
  return createIndex(row, 0, server.groups.back().get());
}

void ServerTreeModel::NodeConfigured(const ProjectNode& node) {
  if (node.kind == NodeKind::kServer) newServers_.erase(static_cast<const ServerNode*>(&node));
  const QModelIndex changed = IndexOf(node);
  if (changed.isValid()) emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void ServerTreeModel::RemoveServer(const ServerNode& server) {
  const int row = ServerRow(server);
  if (row < 0) return;
  beginRemoveRows(RootIndex(), row, row);
  newServers_.erase(&server);
  project_.RemoveServer(server);
  endRemoveRows();
}

void ServerTreeModel::RemoveGroup(const GroupNode& group) {
  const int row = GroupRow(group);
  if (row < 0) return;
  beginRemoveRows(IndexOf(*group.parent), row, row);
  MakerProject::RemoveGroup(group);
  endRemoveRows();
}

QModelIndex ServerTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  if (!parent.isValid()) return row == 0 ? RootIndex() : QModelIndex();
  const ProjectNode* node = NodeAt(parent);
  if (node == nullptr) {
    if (row >= static_cast<int>(project_.servers.size())) return {};
    return createIndex(row, 0, project_.servers[static_cast<size_t>(row)].get());
  }
  if (node->kind != NodeKind::kServer) return {};
  const auto& groups = static_cast<const ServerNode*>(node)->groups;
  if (row >= static_cast<int>(groups.size())) return {};
  return createIndex(row, 0, groups[static_cast<size_t>(row)].get());
}

QModelIndex ServerTreeModel::parent(const QModelIndex& child) const {
  const ProjectNode* node = NodeAt(child);
  if (node == nullptr) return {};
  if (node->kind == NodeKind::kServer) return RootIndex();
  return IndexOf(*static_cast<const GroupNode*>(node)->parent);
}

int ServerTreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return 1;
  if (parent.column() != 0) return 0;
  const ProjectNode* node = NodeAt(parent);
  if (node == nullptr) return static_cast<int>(project_.servers.size());
  if (node->kind == NodeKind::kServer) {
    return static_cast<int>(static_cast<const ServerNode*>(node)->groups.size());
  }
  return 0;
}

int ServerTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant ServerTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const ProjectNode* node = NodeAt(index);
  if (role == Qt::DisplayRole) return Label(node);
  if (role == Qt::DecorationRole) {
    if (node == nullptr) return rootIcon_;
    return node->kind == NodeKind::kServer ? serverIcon_ : groupIcon_;
  }
  if (role == Qt::FontRole && node == nullptr) {
    QFont bold;
    bold.setBold(true);
    return bold;
  }
  return {};
}

QVariant ServerTreeModel::Label(const ProjectNode* node) const {
  if (node == nullptr) return QStringLiteral("OPC SERVER LIST");
  if (node->kind == NodeKind::kServer) {
    const auto* server = static_cast<const ServerNode*>(node);
    const char* prefix = newServers_.contains(server) ? "源:" : "S:";
    return FromGbk(prefix + server->name + "_" + server->desc + "[" + server->settings.sid + "]");
  }
  return FromGbk("G:" + node->name + "_" + node->desc);
}

int ServerTreeModel::ServerRow(const ServerNode& server) const {
  return RowOf(project_.servers, server);
}

int ServerTreeModel::GroupRow(const GroupNode& group) { return RowOf(group.parent->groups, group); }

}  // namespace tavrel
