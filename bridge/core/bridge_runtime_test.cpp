#include "bridge/core/bridge_runtime.h"

#include <gtest/gtest.h>

#include <chrono>

#include "common/daily_log.h"
#include "common/test_clock.h"
#include "common/test_files.h"

namespace {

using namespace std::chrono_literals;

class BridgeRuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(directory_.Path().empty());
    std::filesystem::create_directory(directory_ / "log");
    clock_.Set(LocalSeconds(2024, 3, 5, 8, 9, 10), 11);
  }

  void WriteProject(const std::vector<ProjectServerRecord>& servers) {
    ASSERT_TRUE(SaveProjectFile(directory_ / kProjectFileName, servers));
  }

  std::string DailyLog() const {
    return ReadTestFile(::DailyLog(directory_.Path()).DailyLogPath(clock_.AsClock()()));
  }

  TestDirectory directory_;
  FakeWallClock clock_;
};

ProjectServerRecord ServerOfThreeTags(const std::string& name, const std::string& clsid) {
  ProjectServerRecord server;
  server.name = name;
  server.clsid = clsid;
  ProjectGroupRecord first;
  first.name = "g1";
  first.tags = {{name + ".a", 3, 1}, {name + ".b", 5, 1}};
  ProjectGroupRecord second;
  second.name = "g2";
  second.tags = {{name + ".c", 11, 3}};
  server.groups = {first, second};
  return server;
}

TEST_F(BridgeRuntimeTest, TwoServersGiveTagsTheirHandlesThenOneStatusTagEach) {
  WriteProject({ServerOfThreeTags("S1", "{clsid-1}"), ServerOfThreeTags("S2", "{clsid-2}")});
  BridgeRuntime runtime(directory_.Path(), 0ms, clock_.AsClock());

  EXPECT_EQ(runtime.Project().Tags().size(), 6u);
  EXPECT_EQ(runtime.Project().FindTag(5)->id, "S2.c");
  const auto& connections = runtime.Connections();
  ASSERT_EQ(connections.size(), 2u);
  for (size_t index = 0; index < connections.size(); ++index) {
    const CDlgOpcKernal& connection = *connections[index];
    EXPECT_EQ(&connection.Server(), runtime.Project().Servers()[index].get());
    EXPECT_EQ(connection.GetStatusTag().handle, static_cast<TagHandle>(6 + index));
    EXPECT_EQ(connection.GetStatusTag().name, "qz_server_status_" + std::to_string(index));
    EXPECT_EQ(connection.GetStatusTag().description,
              "状态:{clsid-" + std::to_string(index + 1) + "}");
  }
  EXPECT_EQ(runtime.Project().FindTag(2)->connection, connections[0].get());
  EXPECT_EQ(runtime.Project().FindTag(3)->connection, connections[1].get());
}

TEST_F(BridgeRuntimeTest, StartUpIsLoggedAndStopSetsExitFlag) {
  WriteTestFile(directory_ / kSettingsFileName,
                "<root port=\"1234\" port_h=\"5678\" programe_name=\"demo\"/>");
  BridgeRuntime runtime(directory_.Path(), 0ms, clock_.AsClock());
  EXPECT_EQ(runtime.Settings().port, 1234);
  EXPECT_EQ(runtime.Settings().port_h, 5678);
  EXPECT_EQ(runtime.Settings().programe_name, "demo");
  EXPECT_EQ(runtime.StartTime(), LocalSeconds(2024, 3, 5, 8, 9, 10));
  EXPECT_EQ(DailyLog(),
            "2024-03-05 08:09:10 011 begin load config...\r\n"
            "2024-03-05 08:09:10 011 版本6.1.1\r\n"
            "2024-03-05 08:09:10 011 end load config...\r\n"
            "2024-03-05 08:09:10 011 程序启动\r\n");

  EXPECT_FALSE(runtime.GetExitFlag().IsSet());
  runtime.Stop();
  EXPECT_TRUE(runtime.GetExitFlag().IsSet());
  runtime.Stop();  // a second stop changes nothing
}

TEST_F(BridgeRuntimeTest, MissingOrEmptyProjectRunsWithoutServers) {
  {
    BridgeRuntime runtime(directory_.Path(), 0ms, clock_.AsClock());
    EXPECT_TRUE(runtime.Project().Servers().empty());
    EXPECT_TRUE(runtime.Connections().empty());
    EXPECT_EQ(runtime.Settings().port, 21215);
  }
  WriteTestFile(directory_ / kProjectFileName, "<root/>");
  BridgeRuntime runtime(directory_.Path(), 0ms, clock_.AsClock());
  EXPECT_TRUE(runtime.Project().Servers().empty());
  EXPECT_TRUE(runtime.Connections().empty());
}

}  // namespace
