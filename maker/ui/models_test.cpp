#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFont>
#include <QIcon>
#include <QImage>

#include "desktop/gbk_text.h"
#include "maker/ui/server_tree_model.h"
#include "maker/ui/tag_table_model.h"

namespace tavrel {

namespace {

using Tester = QAbstractItemModelTester;

// Two servers; S1 holds G1 (two tags) and G2 (one tag), S2 holds nothing.
class ModelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerNode& s1 = AddServer("S1", "锅炉", "OPCSim.Tree.1");
    AddServer("S2", "d", "OPCSim.Flat.1");
    GroupNode& g1 = AddGroup(s1, "G1", "组1");
    GroupNode& g2 = AddGroup(s1, "G2", "组2");
    AddTag(g1, "A.1", 5, 3);
    AddTag(g1, "A.2", 0x2000 | 5, 1);
    AddTag(g2, "B.1", 22, 7);
  }

  ServerNode& AddServer(const char* name, const char* desc, const char* sid) {
    auto& server = project.servers.emplace_back(std::make_unique<ServerNode>());
    server->name = name;
    server->desc = desc;
    server->settings.sid = sid;
    return *server;
  }
  static GroupNode& AddGroup(ServerNode& server, const char* name, const char* desc) {
    auto& group = server.groups.emplace_back(std::make_unique<GroupNode>(&server));
    group->name = name;
    group->desc = desc;
    return *group;
  }
  static void AddTag(GroupNode& group, const char* id, int vt, int dir) {
    auto& tag = group.tags.emplace_back(std::make_unique<TagNode>(&group));
    tag->id = id;
    tag->vt = vt;
    tag->dir = dir;
  }

  MakerProject project;
};

QString Text(const QAbstractItemModel& model, const QModelIndex& index) {
  return model.data(index, Qt::DisplayRole).toString();
}

TEST_F(ModelsTest, TreeLabelsAndStructureFollowTheEdits) {
  ServerTreeModel model(project);
  Tester tester(&model, Tester::FailureReportingMode::Fatal);
  const QModelIndex root = model.RootIndex();
  EXPECT_EQ(Text(model, root), QStringLiteral("OPC SERVER LIST"));
  EXPECT_TRUE(model.data(root, Qt::FontRole).value<QFont>().bold());
  // Each kind has its image, at the tree's size and twice it.
  const auto image = [&](const QModelIndex& at) {
    return model.data(at, Qt::DecorationRole).value<QIcon>().pixmap(16).toImage();
  };
  const QModelIndex firstServer = model.index(0, 0, root);
  EXPECT_FALSE(image(root).isNull());
  EXPECT_NE(image(root), image(firstServer));
  EXPECT_NE(image(firstServer), image(model.index(0, 0, firstServer)));
  EXPECT_EQ(model.data(firstServer, Qt::DecorationRole).value<QIcon>().availableSizes().size(), 2);
  EXPECT_EQ(model.NodeAt(root), nullptr);
  ASSERT_EQ(model.rowCount(root), 2);
  const QModelIndex s1 = model.index(0, 0, root);
  EXPECT_EQ(Text(model, s1), FromGbk("S:S1_锅炉[OPCSim.Tree.1]"));
  EXPECT_EQ(Text(model, model.index(1, 0, s1)), FromGbk("G:G2_组2"));
  EXPECT_EQ(model.parent(model.index(1, 0, s1)), s1);

  auto fresh = std::make_unique<ServerNode>();
  fresh->name = "S3";
  fresh->settings.sid = "X.1";
  ServerNode& s3 = *fresh;
  const QModelIndex added = model.AppendNewServer(std::move(fresh));
  EXPECT_EQ(Text(model, added), FromGbk("源:S3_[X.1]"));
  model.NodeConfigured(s3);
  EXPECT_EQ(Text(model, added), FromGbk("S:S3_[X.1]"));

  auto group = std::make_unique<GroupNode>(&s3);
  group->name = "G1";
  EXPECT_EQ(model.parent(model.AppendGroup(s3, std::move(group))), model.IndexOf(s3));
  ServerNode& s1Node = *project.servers[0];
  model.RemoveGroup(*s1Node.groups[0]);
  EXPECT_EQ(model.rowCount(s1), 1);
  model.RemoveServer(s1Node);
  EXPECT_EQ(model.rowCount(root), 2);
  EXPECT_EQ(model.NodeAt(model.index(1, 0, root)), &s3);
}

TEST_F(ModelsTest, TagTableShowsAGroupOrAllGroupsOfAServer) {
  TagTableModel model;
  Tester tester(&model, Tester::FailureReportingMode::Fatal);
  ServerNode& s1 = *project.servers[0];
  model.ShowTagsOf(&s1);
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("READ/WRITE"));
  const auto row = [&](int r) {
    QStringList cells;
    for (int c = 0; c < model.columnCount(); ++c) cells << Text(model, model.index(r, c));
    return cells;
  };
  EXPECT_EQ(row(0), (QStringList{"1", "A.1", "Double(5)", FromGbk("读写")}));
  EXPECT_EQ(row(1), (QStringList{"2", "A.2", "UnKown(5)", FromGbk("只读")}));  // an array
  EXPECT_EQ(row(2), (QStringList{"3", "B.1", "Int(22)", FromGbk("未知")}));

  model.ShowTagsOf(s1.groups[1].get());
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.TagAt(0), s1.groups[1]->tags[0].get());
  model.ShowTagsOf(nullptr);
  EXPECT_EQ(model.rowCount(), 0);
  model.ShowTagsOf(project.servers[1].get());
  EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace

}  // namespace tavrel
