#include "bridge/core/bridge_project.h"

#include <gtest/gtest.h>

#include "bridge/core/server_connection.h"

namespace {

ProjectGroupRecord Group(std::string name, std::vector<ProjectTagRecord> tags) {
  ProjectGroupRecord group;
  group.name = std::move(name);
  group.tags = std::move(tags);
  return group;
}

ProjectServerRecord Server(std::string name, std::vector<ProjectGroupRecord> groups) {
  ProjectServerRecord server;
  server.name = std::move(name);
  server.clsid = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A0" + std::to_string(groups.size()) + "}";
  server.groups = std::move(groups);
  return server;
}

// Two servers of three tags each, spread over groups of different sizes, one of them empty.
std::vector<ProjectServerRecord> TwoServers() {
  return {
      Server("first", {Group("a", {{"A.1", 3, 1}, {"A.2", 5, 3}}), Group("b", {{"B.1", 11, 2}})}),
      Server("second",
             {Group("c", {}), Group("d", {{"D.1", 8, 1}, {"D.2", 2, 1}, {"D.3", 0, 0}})})};
}

TEST(BridgeProject, TagsAreNumberedInDocumentOrderAndStatusTagsAfterThem) {
  BridgeProject project(TwoServers());
  const std::vector<std::string> order = {"A.1", "A.2", "B.1", "D.1", "D.2", "D.3"};
  ASSERT_EQ(project.Tags().size(), order.size());
  for (TagHandle handle = 0; handle < static_cast<TagHandle>(order.size()); ++handle) {
    const CProjectTag* tag = project.FindTag(handle);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->id, order[handle]);
    EXPECT_EQ(tag->handle, handle);
    EXPECT_EQ(tag->liveValue.Snapshot().handle, handle);
  }
  EXPECT_EQ(project.TakeNextHandle(), 6);
  EXPECT_EQ(project.TakeNextHandle(), 7);
  EXPECT_EQ(project.FindTag(6), nullptr);  // status tags are not in the map
  EXPECT_EQ(project.FindTag(-1), nullptr);
}

TEST(BridgeProject, TreeKeepsEveryServerGroupAndTagWithItsParents) {
  BridgeProject project(TwoServers());
  const auto& servers = project.Servers();
  ASSERT_EQ(servers.size(), 2u);
  ASSERT_EQ(servers[1]->groups.size(), 2u);
  EXPECT_TRUE(servers[1]->groups[0]->tags.empty());  // a group without tags is kept
  const CProjectGroup& group = *servers[1]->groups[1];
  EXPECT_EQ(&group.server, servers[1].get());
  ASSERT_EQ(group.tags.size(), 3u);
  const CProjectTag& text = *group.tags[0];
  EXPECT_EQ(&text.group, &group);
  EXPECT_EQ(text.vt, 8);
  EXPECT_EQ(text.dir, 1);
  EXPECT_EQ(text.valueClass, ApiValueType::kText);
  EXPECT_EQ(text.liveValue.Snapshot().valueClass, ApiValueType::kText);
  EXPECT_EQ(group.tags[2]->valueClass, ApiValueType::kReal);  // vt 0
  EXPECT_EQ(group.tags[2]->dir, 0);
  EXPECT_EQ(text.connection, nullptr);

  BridgeProject empty({Server("lonely", {})});  // a server without groups is kept
  ASSERT_EQ(empty.Servers().size(), 1u);
  EXPECT_TRUE(empty.Tags().empty());
  EXPECT_EQ(empty.TakeNextHandle(), 0);
}

TEST(BridgeProject, TagsWithTheSameIdAreBothKept) {
  BridgeProject project({Server("s", {Group("g", {{"same", 3, 1}, {"same", 5, 1}})})});
  ASSERT_EQ(project.Tags().size(), 2u);
  EXPECT_EQ(project.FindTag(0)->vt, 3);
  EXPECT_EQ(project.FindTag(1)->vt, 5);
}

TEST(BridgeProject, NumbersOfTheGroupAndServerReadAsDecimals) {
  std::vector<ProjectServerRecord> records = {Server("s", {Group("g", {})})};
  records[0].outtime = "120s";
  records[0].csouttime = "120";
  ProjectGroupRecord& group = records[0].groups[0];
  group.uptime = "";  // missing: 0
  group.cycle_time = "2500";
  group.datachange_type = "1";
  BridgeProject project(records);
  const CProjectServer& server = *project.Servers()[0];
  EXPECT_EQ(server.outtime, 120);
  EXPECT_EQ(server.csouttime, "120");
  EXPECT_EQ(server.groups[0]->uptime, 0);
  EXPECT_EQ(server.groups[0]->datachange_type, "1");
  EXPECT_EQ(server.groups[0]->readTimer.GetPeriod(), 2500);
}

TEST(CDlgOpcKernal, GivesTheServerItsStatusTagAndLinksItsTags) {
  BridgeProject project(TwoServers());
  CProjectServer& server = *project.Servers()[1];
  const CDlgOpcKernal connection(server, 1, project.TakeNextHandle());
  const StatusTag& status = connection.GetStatusTag();
  EXPECT_EQ(status.name, "qz_server_status_1");
  EXPECT_EQ(status.description, "状态:" + server.clsid);
  EXPECT_EQ(status.handle, 6);
  const TagLiveValue value = status.liveValue.Snapshot();
  EXPECT_EQ(value.handle, 6);
  EXPECT_EQ(value.valueClass, ApiValueType::kInteger);
  EXPECT_EQ(value.integerValue, 0);  // not connected

  for (const auto& group : server.groups) {
    for (const auto& tag : group->tags) EXPECT_EQ(tag->connection, &connection);
  }
  EXPECT_EQ(project.FindTag(0)->connection, nullptr);  // the other server's tags
}

}  // namespace
