// ServerTreeModel: the project's servers and groups under one root item, for a tree view.
//
//   "OPC SERVER LIST" (bold)            the root; its node is null
//     "S:<name>_<desc>[<sid>]"          a server; "源:..." from its creation by the user until
//       "G:<name>_<desc>"               it is configured again
//
// Each item shows the image of its kind (root, server, group; desktop/item_icons.h). Tags are
// not items: the tag table shows them. Structural edits of the tree go through the
// model, so that views follow them. The model holds no widgets.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <memory>
#include <unordered_set>

#include "maker/project/maker_project.h"

namespace tavrel {

class ServerTreeModel final : public QAbstractItemModel {
 public:
  explicit ServerTreeModel(MakerProject& project, QObject* parent = nullptr);

  QModelIndex RootIndex() const;
  // The index of a server or group; invalid for any other node.
  QModelIndex IndexOf(const ProjectNode& node) const;
  // The node of an index: null for the root item and for an invalid index.
  ProjectNode* NodeAt(const QModelIndex& index) const;

  // A server the user has just made: appended to the project, labelled "源:".
  QModelIndex AppendNewServer(std::unique_ptr<ServerNode> server);
  QModelIndex AppendGroup(ServerNode& server, std::unique_ptr<GroupNode> group);
  // After the node's fields changed; a server is labelled "S:" from now on.
  void NodeConfigured(const ProjectNode& node);
  void RemoveServer(const ServerNode& server);
  void RemoveGroup(const GroupNode& group);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  int ServerRow(const ServerNode& server) const;
  static int GroupRow(const GroupNode& group);
  QVariant Label(const ProjectNode* node) const;

  MakerProject& project_;
  std::unordered_set<const ServerNode*> newServers_;
  const QIcon rootIcon_, serverIcon_, groupIcon_;
};

}  // namespace tavrel
