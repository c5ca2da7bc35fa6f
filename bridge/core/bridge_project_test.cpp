#include "bridge/core/bridge_project.h"

#include <gtest/gtest.h>

namespace tavrel {

namespace {

using namespace std::chrono_literals;

ProjectServerRecord ServerWithGroup(const ProjectGroupRecord& group) {
  ProjectServerRecord server;
  server.groups = {group};
  return server;
}

// The project's text attributes are read by the C atoi rules, so numbers followed by other
// characters, blanks before them and signs keep the meaning they have always had.
TEST(BridgeProject, ReadModeAndBulkRegistrationFollowTheNumbersTheTextsStartWith) {
  const struct {
    const char* datachangeType;
    ReadMode readMode;
    const char* additem;
    bool bulk;
  } cases[] = {
      {"0", ReadMode::kCacheRead, "0", false},    {"1", ReadMode::kCallback, "1", true},
      {"2", ReadMode::kPropertyRead, "-3", true}, {"3", ReadMode::kNone, "", false},
      {"", ReadMode::kCacheRead, "abc", false},   {" 2x", ReadMode::kPropertyRead, " 7 ", true},
      {"-1", ReadMode::kNone, "0x1", false},
  };
  for (const auto& c : cases) {
    ProjectGroupRecord record;
    record.datachange_type = c.datachangeType;
    record.additem = c.additem;
    const BridgeProject project({ServerWithGroup(record)});
    const GroupSettings& settings = project.Servers()[0]->groups[0]->settings;
    EXPECT_EQ(settings.readMode, c.readMode) << c.datachangeType;
    EXPECT_EQ(settings.bulkRegistration, c.bulk) << c.additem;
  }
}

TEST(BridgeProject, GroupNumbersBecomeDurationsAndTheCycleTextIsKeptForTheLog) {
  ProjectGroupRecord record;
  record.name = "G";
  record.active_state = "2";
  record.uptime = "250";
  record.timebis_minutes = "-60";
  record.percent_deadband = "0.5";
  record.language_id = "2052";
  record.cycle_time = "1000ms";
  const BridgeProject project({ServerWithGroup(record)});
  const ProjectGroup& group = *project.Servers()[0]->groups[0];
  EXPECT_EQ(group.name, "G");
  EXPECT_EQ(group.settings.activeFlag, 2);  // accepted by the server, never read by the cycle
  EXPECT_EQ(group.settings.updateRate, 250ms);
  EXPECT_EQ(group.settings.timeBias, -60min);
  EXPECT_FLOAT_EQ(group.settings.percentDeadband, 0.5f);
  EXPECT_EQ(group.settings.localeId, 2052u);
  EXPECT_EQ(group.settings.cycleTime, 1000ms);
  EXPECT_EQ(group.settings.cycleTimeText, "1000ms");
}

TEST(BridgeProject, CredentialsArePresentOnlyWhenTheSwitchIsANonZeroNumber) {
  for (const char* off : {"0", "", "yes", "-0"}) {
    ProjectServerRecord record;
    record.c1 = off;
    record.c2 = "operator";
    EXPECT_FALSE(BridgeProject({record}).Servers()[0]->credentials.has_value()) << off;
  }
  ProjectServerRecord record;
  record.name = "S";
  record.node = "plc-7";
  record.sid = "Vendor.Server.1";
  record.clsid = "{A}";
  record.c1 = "1";
  record.c2 = "operator";
  record.c3 = "secret";
  record.c4 = "PLANT";
  const BridgeProject project({record});
  const ProjectServer& server = *project.Servers()[0];
  EXPECT_EQ(server.progId, "Vendor.Server.1");
  EXPECT_EQ(server.node, "plc-7");
  EXPECT_EQ(server.clsid, "{A}");
  ASSERT_TRUE(server.credentials.has_value());
  EXPECT_EQ(server.credentials->user, "operator");
  EXPECT_EQ(server.credentials->password, "secret");
  EXPECT_EQ(server.credentials->domain, "PLANT");
}

}  // namespace

}  // namespace tavrel
