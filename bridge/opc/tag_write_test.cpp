#include "bridge/opc/engine_test_support.h"
#include "common/wide_string.h"

namespace tavrel {

namespace engine_test {
namespace {

class WriteTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTiming timing = FastTiming();
    timing.restartPause = 300ms;  // room to stop the server while the connection is down
    Run({TreeServer({GroupRecord("W", 0, false,
                                 {TagRecord("Echo.Real8", 5), TagRecord("Echo.Int4", 3),
                                  TagRecord("WriteError.Fail", 3), TagRecord("Echo.String", 8)},
                                 "10")})},
        timing);
    ASSERT_TRUE(Connected());
  }
  WriteResult Write(TagHandle handle, std::string_view text) {
    return connections_[0]->WriteTag(Tag(handle), text);
  }
  std::string ReadBack(TagHandle handle, const std::string& expected) {
    Eventually([&] { return Value(handle).textValue == expected; }, 2000ms);
    return Value(handle).textValue;
  }
};

TEST_F(WriteTest, TextIsConvertedToTheTagsTypeAndReadBack) {
  EXPECT_EQ(Write(0, "12.5").code, 0);
  EXPECT_EQ(ReadBack(0, "12.500000"), "12.500000");
  const WriteResult toInteger = Write(1, "12.5");
  EXPECT_EQ(toInteger.code, 0);
  EXPECT_EQ(ReadBack(1, "12"), "12");  // rounded to even, as VariantChangeType does
  EXPECT_EQ(Write(3, "文本").code, 0);
  EXPECT_EQ(ReadBack(3, "文本"), "文本");
}

TEST_F(WriteTest, ATextThatIsNoNumberIsNotWritten) {
  ASSERT_EQ(Write(1, "7").code, 0);
  ASSERT_EQ(ReadBack(1, "7"), "7");
  const WriteResult result = Write(1, "seven");
  EXPECT_EQ(result.code, 1);
  EXPECT_FALSE(result.message.empty());
  // The second cycle line logged from here on ends a read that began after the refused write.
  const std::size_t cycles = capture_->Count("时间=");
  ASSERT_TRUE(Eventually([&] { return capture_->Count("时间=") >= cycles + 2; }));
  EXPECT_EQ(Value(1).textValue, "7");
}

TEST_F(WriteTest, APerItemRejectionIsReportedAsNotWrittenWithTheServersText) {
  const WriteResult result = Write(2, "1");
  EXPECT_EQ(result.code, 1);
  EXPECT_TRUE(result.message.starts_with("Sync Write: ")) << result.message;
  EXPECT_GT(result.message.size(), std::string("Sync Write: ").size());
  EXPECT_EQ(capture_->Find("Sync Write: "), result.message);
}

TEST_F(WriteTest, AfterTheConnectionIsDroppedNothingIsWritten) {
  device_.RequestShutdown(OLESTR("gone"));
  ASSERT_TRUE(Eventually([&] { return !Engine().IsConnected(); }));
  device_.Die();
  const WriteResult result = Write(0, "1");
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.message, kNotConnectedText);
  device_.Revive();
}

// A tag the new registration did not take is not written through a handle of the old
// connection, which on the new one names another item (here Echo.Int4, registered first).
TEST_F(WriteTest, ATagNotRegisteredAgainIsNotWrittenThroughItsOldHandle) {
  ASSERT_EQ(Write(1, "5").code, 0);
  ASSERT_EQ(ReadBack(1, "5"), "5");
  device_.RejectItemIds({OLESTR("Echo.Real8")});
  device_.RequestShutdown(OLESTR("again"));
  ASSERT_TRUE(Eventually([&] { return capture_->Count("AddItems 2: ") == 1; }));
  ASSERT_TRUE(Connected());
  const WriteResult result = Write(0, "42");
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.message, kNotConnectedText);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(Value(1).textValue, "5");
}

// Groups that offer no IOPCSyncIO are written through IOPCAsyncIO2, which needs the group's data
// call-back: without one the call fails and says why. A DA 1.0 server offers neither once its
// groups were added, so its tags are not written.
TEST_F(EngineTest, WithoutSyncIoWritesGoThroughIOPCAsyncIO2) {
  opcsim::SimulationSettings settings;
  settings.offersSyncIo = false;
  settings.signalPeriod = 50ms;
  opcsim::SimulatedDeviceControl(opcsim::CLSID_OPCSimTree).Reset(settings);
  opcsim::SimulatedDeviceControl(opcsim::CLSID_OPCSimLegacy).Reset(settings);
  const ProjectServerRecord legacy =
      LegacyServer({GroupRecord("L", 0, false, {TagRecord("Echo.Int4", 3)})});
  Run({TreeServer({GroupRecord("C", 1, false, {TagRecord("Echo.Int4", 3)}),
                   GroupRecord("R", 0, false, {TagRecord("Echo.Int4", 3)})}),
       legacy});
  ASSERT_TRUE(Connected(0));
  ASSERT_TRUE(Connected(1));
  struct Case {
    TagHandle handle;
    std::size_t connection;
    int code;
    std::string messageStart;
  };
  for (const Case& expected :
       {Case{0, 0, 0, ""}, Case{1, 0, 1, "ASync Write: "}, Case{2, 1, 1, ""}}) {
    SCOPED_TRACE(expected.handle);
    const WriteResult result =
        connections_[expected.connection]->WriteTag(Tag(expected.handle), "41");
    EXPECT_EQ(result.code, expected.code);
    EXPECT_TRUE(result.message.starts_with(expected.messageStart)) << result.message;
    EXPECT_EQ(result.message.empty(), expected.messageStart.empty()) << result.message;
  }
  EXPECT_TRUE(Eventually([&] { return Value(0).textValue == "41"; }));
}

TEST(WriteWithoutEngine, AConnectionWithoutItsEngineRefusesWrites) {
  ProjectServerRecord record =
      TreeServer({GroupRecord("G", 0, false, {TagRecord("Echo.Int4", 3)})});
  BridgeProject project({record});
  MetricRegistry metrics;
  ServerConnection connection(*project.Servers()[0], 0, project.TakeNextHandle(), metrics);
  const WriteResult result = connection.WriteTag(*project.FindTag(0), "1");
  EXPECT_EQ(result.code, 1);
  EXPECT_EQ(result.message, "OPC服务还未连接成功");
  EXPECT_FALSE(connection.IsConnected());
  EXPECT_EQ(connection.Metrics().writes.Value(), 1);  // a refused write counts as a failure
  EXPECT_EQ(connection.Metrics().writeFailures.Value(), 1);
}

}  // namespace
}  // namespace engine_test

}  // namespace tavrel
