#include "bridge/opc/engine_test_support.h"
#include "common/wide_string.h"

namespace tavrel {

namespace engine_test {
namespace {

TEST_F(EngineTest, GroupsAreAddedInFileOrderWithTheirParameters) {
  Run({TreeServer({GroupRecord("A", 0, false, {TagRecord("Echo.Int4", 3)}),
                   GroupRecord("B", 1, true, {TagRecord("Ramp.Int4", 3)}),
                   GroupRecord("C", 2, false, {TagRecord("Sine.Real8", 5)})})});
  ASSERT_TRUE(Connected());
  const std::vector<std::string> lines = capture_->Lines();
  std::vector<std::string> groupLines;
  for (const auto& line : lines) {
    if (line.find("Active = ") != std::string::npos) groupLines.push_back(line);
  }
  ASSERT_EQ(groupLines.size(), 3u);
  EXPECT_EQ(groupLines[0],
            "组名：A   Active = 1 dwRequestUpdateRate=20 ltimeBias=0 fdeadband=0.500000 "
            "dwLanguageID=1033 dwRevUpdateRate=20");
  EXPECT_TRUE(groupLines[1].starts_with("组名：B "));
  EXPECT_TRUE(groupLines[2].starts_with("组名：C "));
  EXPECT_EQ(capture_->Count("组名：A 开始单点注册"), 1u);
  EXPECT_EQ(capture_->Count("组名：B 开始批量注册"), 1u);
  EXPECT_EQ(capture_->Count("组名：C 注册点完成"), 1u);
  EXPECT_EQ(Engine().ItemCount(), 3u);
  // Each group's client handle is its place in the server entry plus 1.
  const std::vector<opcsim::JournalEntry> added = device_.JournalEntries("AddGroup");
  ASSERT_EQ(added.size(), 3u);
  for (DWORD place = 0; place < 3; ++place) {
    EXPECT_EQ(added[place].group, WideString(1, static_cast<WCHAR>(OLESTR('A') + place)));
    EXPECT_EQ(added[place].argument, place + 1);
  }
}

TEST_F(EngineTest, AnEmptyBulkGroupLeavesTheOtherGroupsRegisteredAndRead) {
  Run({TreeServer({GroupRecord("Empty", 0, true, {}),
                   GroupRecord("Later", 0, true, {TagRecord("Ramp.Int4", 3)})})});
  ASSERT_TRUE(Connected());
  EXPECT_EQ(capture_->Count("AddItem "), 0u);
  EXPECT_TRUE(Eventually([&] { return pushes_.PushesOf(0).size() >= 2; }));
}

TEST_F(EngineTest, ABulkGroupWhoseFirstItemIsRejectedEndsTheAttemptWithoutPolling) {
  device_.RejectItemIds({OLESTR("No.Such.Item")});
  Run({TreeServer(
      {GroupRecord("First", 0, true, {TagRecord("No.Such.Item", 3), TagRecord("Ramp.Int4", 3)}),
       GroupRecord("Later", 0, true, {TagRecord("Sine.Real8", 5)})})});
  ASSERT_TRUE(Eventually([&] { return capture_->Count("AddItem ") == 1; }));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(Engine().State(), ConnectionState::kHeld);
  EXPECT_EQ(capture_->Count("组名：Later"), 0u);
  EXPECT_EQ(capture_->Count("时间="), 0u);
  EXPECT_EQ(capture_->Count("AddItem "), 1u);  // no further attempt while held
  EXPECT_EQ(Value(2).updateCount, 0u);
}

TEST_F(EngineTest, ASingleModeRejectionSkipsOnlyThatItem) {
  device_.RejectItemIds({OLESTR("Ramp.Int2")});
  Run({TreeServer({GroupRecord(
      "S", 0, false,
      {TagRecord("Ramp.Int4", 3), TagRecord("Ramp.Int2", 2), TagRecord("Sine.Real8", 5)})})});
  ASSERT_TRUE(Connected());
  EXPECT_EQ(capture_->Count("AddItems 2: "), 1u);
  EXPECT_EQ(Engine().ItemCount(), 2u);
  ASSERT_TRUE(Eventually([&] { return Value(0).updateCount >= 2 && Value(2).updateCount >= 2; }));
  EXPECT_EQ(Value(1).updateCount, 0u);
  const WriteResult written = connections_[0]->WriteTag(Tag(1), "5");
  EXPECT_EQ(written.code, 1);
}

TEST_F(EngineTest, AGroupTheServerRefusesDisconnects) {
  device_.RefuseAddGroup(E_OUTOFMEMORY);
  Run({TreeServer({GroupRecord("G", 0, false, {TagRecord("Ramp.Int4", 3)})})});
  ASSERT_TRUE(Eventually([&] { return capture_->Count("断开成功!") >= 1; }));
  EXPECT_FALSE(capture_->Find("AddGroup kernal: ").empty());
  device_.AcceptAddGroup();
  EXPECT_TRUE(Connected());
}

}  // namespace
}  // namespace engine_test

}  // namespace tavrel
