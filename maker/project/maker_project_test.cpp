#include "maker/project/maker_project.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/test_files.h"
#include "maker/project/project_store.h"

namespace tavrel {

namespace {

ServerNode& AddServer(MakerProject& project, const std::string& name) {
  auto& server = project.servers.emplace_back(std::make_unique<ServerNode>());
  server->name = name;
  return *server;
}

GroupNode& AddGroup(ServerNode& server, const std::string& name) {
  auto& group = server.groups.emplace_back(std::make_unique<GroupNode>(&server));
  group->name = name;
  return *group;
}

TEST(MakerProjectTest, ProposalsTakeTheSmallestFreeNumber) {
  MakerProject project;
  EXPECT_EQ(project.ProposeServerName(),
            std::make_pair(std::string("S1"), std::string("OPC_SERVER1")));
  ServerNode& s1 = AddServer(project, "S1");
  AddServer(project, "S3");
  EXPECT_EQ(project.ProposeServerName(),
            std::make_pair(std::string("S2"), std::string("OPC_SERVER2")));
  AddGroup(s1, "G1");
  AddGroup(s1, "g2");  // names compare exactly
  EXPECT_EQ(MakerProject::ProposeGroupName(s1),
            std::make_pair(std::string("G2"), std::string("组2")));
}

TEST(MakerProjectTest, LookUpsSkipTheNodeBeingEdited) {
  MakerProject project;
  ServerNode& a = AddServer(project, "A");
  a.settings.sid = "Sim.1";
  ServerNode& b = AddServer(project, "B");
  b.settings = a.settings;
  b.settings.node = "plc-7";
  EXPECT_EQ(project.FindServer("A", nullptr), &a);
  EXPECT_EQ(project.FindServer("A", &a), nullptr);
  EXPECT_EQ(project.FindServerBySource("", "Sim.1", &b), &a);
  EXPECT_EQ(project.FindServerBySource("", "Sim.1", &a), nullptr);  // b is on another node
  GroupNode& g = AddGroup(a, "G1");
  EXPECT_EQ(MakerProject::FindGroup(a, "G1", nullptr), &g);
  EXPECT_EQ(MakerProject::FindGroup(a, "G1", &g), nullptr);

  project.RemoveServer(a);
  EXPECT_EQ(project.servers.size(), 1u);
  EXPECT_EQ(project.servers.front().get(), &b);
}

class ProjectStoreTest : public ::testing::Test {
 protected:
  TestDirectory directory;
  std::string path = directory / "opc_db.xml";
  std::string backup = path + ".bak";
  ProjectStore store{path};
};

TEST_F(ProjectStoreTest, SavedTreeLoadsWithoutTagNamesAndDescriptions) {
  MakerProject project;
  ServerNode& server = AddServer(project, "S1");
  server.desc = "锅炉";
  server.settings.sid = "OPCSim.Tree.1";
  server.settings.solution = 2;
  GroupNode& group = AddGroup(server, "G1");
  group.settings.uptime = "";
  auto& tag = group.tags.emplace_back(std::make_unique<TagNode>(&group));
  tag->name = "温度";
  tag->desc = "入口温度";
  tag->id = "Boiler.Temperature";
  tag->vt = 0x2000 | 5;
  tag->dir = 3;
  std::string error;
  ASSERT_TRUE(store.Save(project, error)) << error;
  EXPECT_FALSE(std::filesystem::exists(backup));

  const MakerProject loaded = store.Load();
  EXPECT_TRUE(store.LoadError().empty());
  ASSERT_EQ(loaded.servers.size(), 1u);
  const ServerNode& s = *loaded.servers[0];
  EXPECT_EQ(s.desc, "锅炉");
  EXPECT_EQ(s.settings, server.settings);
  ASSERT_EQ(s.groups.size(), 1u);
  EXPECT_EQ(s.groups[0]->settings, group.settings);
  EXPECT_EQ(s.groups[0]->parent, &s);
  const TagNode& t = *s.groups[0]->tags.at(0);
  EXPECT_EQ(t.name, "");
  EXPECT_EQ(t.desc, "");
  EXPECT_EQ(t.id, "Boiler.Temperature");
  EXPECT_EQ(t.vt, 0x2000 | 5);
  EXPECT_EQ(t.dir, 3);
}

TEST_F(ProjectStoreTest, MissingAttributesAreEmptyAndAMissingUserStaysEmpty) {
  WriteTestFile(path,
                "<?xml version=\"1.0\" encoding=\"GB2312\"?> \r\n<root>\r\n<server name=\"S1\">\r\n"
                "<group name=\"G1\"/>\r\n</server>\r\n</root>\r\n");
  const MakerProject loaded = store.Load();
  ASSERT_EQ(loaded.servers.size(), 1u);
  EXPECT_EQ(loaded.servers[0]->settings, ServerSettings{});  // no proposed user either
  EXPECT_EQ(loaded.servers[0]->groups.at(0)->settings.cycle_time, "");
  EXPECT_EQ(loaded.servers[0]->groups.at(0)->settings.uptime, "");
}

TEST_F(ProjectStoreTest, AFileThatDoesNotParseIsReportedAndKeptAsBackupWhenReplaced) {
  const std::string damaged = "<root>\r\n<server name=\"S1\" sid=\"Sim.1\">\r\n</root>\r\n";
  WriteTestFile(path, damaged);
  MakerProject project = store.Load();
  EXPECT_TRUE(project.servers.empty());
  EXPECT_FALSE(store.LoadError().empty());

  AddServer(project, "S9");
  std::string error;
  ASSERT_TRUE(store.Save(project, error)) << error;
  EXPECT_EQ(ReadTestFile(backup), damaged);
  EXPECT_NE(ReadTestFile(path).find("S9"), std::string::npos);

  // The file now parses: a later save keeps no further copy of it.
  std::filesystem::remove(backup);
  ASSERT_TRUE(store.Save(project, error));
  EXPECT_FALSE(std::filesystem::exists(backup));

  // A project reached through a link (the installation folder may be read-only) keeps its
  // copy beside the file the link names.
  const std::string data = directory / "data";
  std::filesystem::create_directory(data);
  WriteTestFile(data + "/opc_db.xml", damaged);
  const std::string link = directory / "linked.xml";
  std::filesystem::create_symlink(data + "/opc_db.xml", link);
  ProjectStore linked(link);
  linked.Load();
  ASSERT_TRUE(linked.Save(project, error)) << error;
  EXPECT_EQ(linked.BackupPath(), data + "/opc_db.xml.bak");
  EXPECT_EQ(ReadTestFile(data + "/opc_db.xml.bak"), damaged);
  EXPECT_FALSE(std::filesystem::exists(link + ".bak"));
}

TEST_F(ProjectStoreTest, AFailedSaveSaysWhy) {
  ProjectStore nowhere(directory / "absent/opc_db.xml");
  std::string error;
  EXPECT_FALSE(nowhere.Save(MakerProject{}, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace

}  // namespace tavrel
