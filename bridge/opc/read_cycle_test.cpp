#include "bridge/opc/engine_test_support.h"
#include "common/wide_string.h"

namespace tavrel {

namespace engine_test {
namespace {

TEST_F(EngineTest, AllThreeReadModesDeliverChangingValues) {
  Run({TreeServer({GroupRecord("Sync", 0, true, {TagRecord("Ramp.Int4", 3)}),
                   GroupRecord("Callback", 1, true, {TagRecord("Sine.Real8", 5)}),
                   GroupRecord("Props", 2, false, {TagRecord("Ramp.Int2", 2)})})});
  ASSERT_TRUE(Connected());
  // Changing: a push whose value differs from the first. Not the last against the first: pushes
  // may come faster than the values step, and the sine passes most of its values twice.
  for (TagHandle handle = 0; handle < 3; ++handle) {
    ASSERT_TRUE(Eventually([&] {
      const auto pushed = pushes_.PushesOf(handle);
      return pushed.size() >= 3 &&
             std::any_of(pushed.begin(), pushed.end(), [&](const TagLiveValue& push) {
               return push.textValue != pushed.front().textValue;
             });
    })) << handle;
    EXPECT_EQ(pushes_.PushesOf(handle).back().badFlag, 0u);
  }
  EXPECT_GE(capture_->Count("时间="), 3u);
  const std::string syncLine = capture_->Find("时间=");
  EXPECT_NE(syncLine.find(",节点名=SimTree,组名=Sync,周期=20 正在同步刷新属性"), std::string::npos);
  EXPECT_NE(capture_->Lines().end(),
            std::find_if(capture_->Lines().begin(), capture_->Lines().end(), [](const auto& line) {
              return line.ends_with(",组名=Callback,周期=20 正在异步读");
            }));
  // The call-back group's device refreshes carry the transaction id 6015.
  const std::vector<opcsim::JournalEntry> refreshes = device_.JournalEntries("Refresh2");
  ASSERT_FALSE(refreshes.empty());
  for (const opcsim::JournalEntry& refresh : refreshes) {
    EXPECT_EQ(refresh.group, OLESTR("Callback"));
    EXPECT_EQ(refresh.argument, 6015u);
  }
}

TEST_F(EngineTest, AnInactiveGroupIsNeverRead) {
  Run({TreeServer({GroupRecord("Off", 0, false, {TagRecord("Ramp.Int4", 3)}, "10", "0"),
                   GroupRecord("On", 0, false, {TagRecord("Ramp.Int2", 2)}, "10")})});
  ASSERT_TRUE(Connected());
  ASSERT_TRUE(Eventually([&] { return capture_->Count("时间=") >= 3; }));
  for (const auto& line : capture_->Lines()) {
    EXPECT_EQ(line.find("组名=Off"), std::string::npos) << line;
  }
  // Only the initial read at registration reached the inactive group's tag.
  EXPECT_EQ(Value(0).updateCount, 1u);
}

TEST_F(EngineTest, AQualityOtherThanGoodSetsTheBadFlag) {
  Run({TreeServer({GroupRecord("Q", 1, false, {TagRecord("Quality.Cycle", 5)}, "10")})});
  ASSERT_TRUE(Connected());
  ASSERT_TRUE(Eventually([&] {
    const auto pushed = pushes_.PushesOf(0);
    const bool sawBad =
        std::any_of(pushed.begin(), pushed.end(), [](auto& v) { return v.badFlag == 1; });
    const bool sawGood =
        std::any_of(pushed.begin(), pushed.end(), [](auto& v) { return v.badFlag == 0; });
    return sawBad && sawGood;
  }));
}

TEST_F(EngineTest, PropertyReadsTakeValueAndQualityFromProperties2And3) {
  Run({TreeServer({GroupRecord(
      "P", 2, false, {TagRecord("Echo.Real8", 5), TagRecord("ReadError.Fail", 5)}, "10")})});
  ASSERT_TRUE(Connected());
  ASSERT_EQ(connections_[0]->WriteTag(Tag(0), "42.25").code, 0);
  const WallTime before = SystemWallTime();
  ASSERT_TRUE(Eventually([&] { return Value(0).textValue == "42.25"; }));
  const TagLiveValue value = Value(0);
  EXPECT_DOUBLE_EQ(value.realValue, 42.25);
  EXPECT_EQ(value.badFlag, 0u);
  EXPECT_GE(static_cast<std::int64_t>(value.seconds) + 1, before.seconds);  // local read time
}

// Each way a read fails leaves its own line: the property query of an unknown item, and once
// the server stops answering, the cache read and the property read of a known one.
TEST_F(EngineTest, ReadFailuresAreLoggedWithTheItem) {
  Run({TreeServer(
      {GroupRecord("S", 0, false, {TagRecord("Echo.Int4", 3)}, "10"),
       GroupRecord("P", 2, false, {TagRecord("Echo.Real8", 5), TagRecord("No.Such.Item", 5)},
                   "10")})});
  ASSERT_TRUE(Connected());
  EXPECT_TRUE(Eventually(
      [&] { return capture_->Count("QueryAvailableProperties ERROR:No.Such.Item") > 0; }));
  ASSERT_TRUE(Eventually([&] { return capture_->Count("时间=") >= 2; }));
  device_.Die();
  EXPECT_TRUE(Eventually([&] { return capture_->Count("同步读取失败:Echo.Int4") > 0; }));
  EXPECT_TRUE(Eventually([&] { return capture_->Count("Echo.Real8 获取属性ERROR") > 0; }));
  device_.Revive();
}

// A read mode whose interface the group does not offer says so instead of reading: the cache
// read without IOPCSyncIO, the call-back read (Refresh2) on a DA 1.0 server.
TEST_F(EngineTest, AReadModeWithoutItsInterfaceSaysSo) {
  opcsim::SimulationSettings settings;
  settings.offersSyncIo = false;
  opcsim::SimulatedDeviceControl(opcsim::CLSID_OPCSimTree).Reset(settings);
  const ProjectServerRecord legacy =
      LegacyServer({GroupRecord("L", 1, false, {TagRecord("Echo.Int4", 3)}, "10")});
  Run({TreeServer({GroupRecord("S", 0, false, {TagRecord("Echo.Int4", 3)}, "10")}), legacy});
  EXPECT_TRUE(Eventually([&] { return capture_->Count("同步没准备好") > 0; }));
  EXPECT_TRUE(Eventually([&] { return capture_->Count("异步没准备好") > 0; }));
}

}  // namespace
}  // namespace engine_test

}  // namespace tavrel
