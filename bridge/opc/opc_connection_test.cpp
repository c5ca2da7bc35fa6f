#include "bridge/opc/opc_connection.h"

#include "bridge/opc/engine_test_support.h"
#include "common/wide_string.h"

namespace tavrel {

namespace engine_test {
namespace {

ProjectServerRecord EchoServer() {
  return TreeServer({GroupRecord("G", 0, false, {TagRecord("Echo.Int4", 3)})});
}

TEST_F(EngineTest, ConnectsLocallyByProgIdAndFollowsItsClsid) {
  ProjectServerRecord server = EchoServer();
  server.node = "LocalHost";
  server.clsid = "{00000000-0000-0000-0000-000000000000}";
  server.c1 = "1";  // ignored for this computer
  Run({server});
  ASSERT_TRUE(Connected());
  EXPECT_TRUE(connections_[0]->IsConnected());
  EXPECT_EQ(Engine().ClsidText(), "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}");
  EXPECT_EQ(capture_->Count("连接成功，正在添加各种服务!"), 1u);
  EXPECT_EQ(capture_->Count("CoCreateInstance"), 0u);
}

TEST_F(EngineTest, AnUnregisteredProgIdWithAValidClsidStillConnects) {
  ProjectServerRecord server = EchoServer();
  server.sid = "No.Such.Server";
  server.node = "127.0.0.1";
  Run({server});
  EXPECT_TRUE(Connected());
}

TEST_F(EngineTest, AnotherNodeIsActivatedRemotelyAndAnUnknownClassIsReportedOncePerInterval) {
  ProjectServerRecord remote = EchoServer();
  remote.node = "no-such-host";
  ProjectServerRecord unknown = EchoServer();
  unknown.name = "Nope";
  unknown.sid = "No.Such.Server";
  unknown.clsid = "not a clsid";
  EngineTiming timing = FastTiming();
  timing.repeatedFailure = 300ms;  // some 30 attempts of each
  Run({remote, unknown}, timing);
  ASSERT_TRUE(Eventually([&] { return capture_->Count("CoCreateInstanceEx: Error") >= 2; }));
  ASSERT_TRUE(Eventually([&] { return capture_->Count("CLSIDFromString Error! ") >= 2; }));
  ASSERT_TRUE(Eventually([&] { return capture_->Count("CoCreateInstance: Error") >= 2; }));
  ASSERT_TRUE(Eventually([&] { return capture_->Count("the same failure repeated ") >= 2; }));
  EXPECT_LT(capture_->Count("CoCreateInstance: Error"),
            capture_->Count("the same failure repeated ") + 2);
  EXPECT_GE(capture_->Count("Server \"Nope\" (ProgID \"No.Such.Server\", node \"\") cannot be "
                            "created: CoCreateInstance returned 0x80040154 "),
            1u);
  EXPECT_GE(capture_->Count("Server \"SimTree\" (ProgID \"OPCSim.Tree.1\", node \"no-such-host\") "
                            "cannot be created: CoCreateInstanceEx returned 0x"),
            1u);
  EXPECT_FALSE(Engine(0).IsConnected());
  EXPECT_FALSE(Engine(1).IsConnected());
  EXPECT_FALSE(connections_[0]->IsConnected());
}

TEST_F(EngineTest, AServerNotRunningIsDroppedAtTheFirstStatusQueryAndComesBack) {
  EngineTiming timing = FastTiming();
  std::atomic<std::int64_t> now{1'000'000};
  timing.now = [&] { return now.load(); };
  device_.SetServerState(OPC_STATUS_SUSPENDED);
  Run({EchoServer()}, timing);
  ASSERT_TRUE(Eventually([&] { return capture_->Count("Server Status = 4 准备断开...") == 1; }));
  EXPECT_TRUE(
      Eventually([&] { return capture_->Count("RemoveGroup: Server：SimTree ,组名G ok") == 1; }));
  // The next query comes only after more than 60 s, also across the reconnection. The line of
  // the removed group comes before the server is released and the connection leaves its
  // connected state: wait for the second connection itself, not for a connected state that may
  // still be the first one's.
  device_.SetServerState(OPC_STATUS_RUNNING);
  ASSERT_TRUE(Eventually([&] { return capture_->Count("连接成功，正在添加各种服务!") == 2; }));
  ASSERT_TRUE(Connected());
  device_.SetServerState(OPC_STATUS_FAILED);
  now += 60;
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(Engine().IsConnected());
  now += 1;
  ASSERT_TRUE(Eventually([&] { return capture_->Count("Server Status = 2 准备断开...") == 1; }));
}

TEST_F(EngineTest, RefusedCallBacksAreReportedWithTheServerAndTheCode) {
  device_.RefuseCallbacks(E_ACCESSDENIED);
  Run({TreeServer({GroupRecord("G", 1, false, {TagRecord("Echo.Int4", 3)})})});
  ASSERT_TRUE(Connected());
  const std::string server = "Server \"SimTree\" (ProgID \"OPCSim.Tree.1\", node \"\") ";
  ASSERT_TRUE(Eventually([&] {
    return capture_->Count(server +
                           "sends no values of group \"G\": AtlAdvise(IOPCDataCallback) "
                           "returned 0x80070005 ") == 1;
  }));
  EXPECT_EQ(capture_->Count(server + "takes no shutdown requests: AtlAdvise(IOPCShutdown) "
                                     "returned 0x80070005 "),
            1u);
}

TEST_F(EngineTest, AShutdownRequestTearsDownAndReconnects) {
  EngineTiming timing = FastTiming();
  timing.restartPause = 200ms;
  Run({EchoServer()}, timing);
  ASSERT_TRUE(Connected());
  const auto requested = std::chrono::steady_clock::now();
  device_.RequestShutdown(OLESTR("maintenance"));
  ASSERT_TRUE(Eventually([&] { return capture_->Count("RemoveGroup: ") == 1; }));
  ASSERT_TRUE(Eventually([&] { return capture_->Count("连接成功，正在添加各种服务!") == 2; }));
  // The pause, then the first tick of the new connect timer.
  EXPECT_GE(std::chrono::steady_clock::now() - requested, 200ms);
  EXPECT_TRUE(Connected());
}

TEST_F(EngineTest, TheStatusTagIsPushedEveryPeriodAndReadsZeroWhileTheServerIsNotHeld) {
  EngineTiming timing = FastTiming();
  timing.statusRefresh = 30ms;
  device_.Die();
  Run({EchoServer()}, timing);
  const TagHandle status = connections_[0]->GetStatusTag().handle;
  ASSERT_TRUE(Eventually([&] { return pushes_.PushesOf(status).size() >= 2; }));
  for (const auto& push : pushes_.PushesOf(status)) EXPECT_EQ(push.integerValue, 0);
  device_.Revive();
  ASSERT_TRUE(Connected());
  ASSERT_TRUE(Eventually([&] {
    const auto pushed = pushes_.PushesOf(status);
    return !pushed.empty() && pushed.back().integerValue == 1;
  }));
  EXPECT_EQ(connections_[0]->GetStatusTag().liveValue.Snapshot().badFlag, 0u);
}

TEST_F(EngineTest, StartOnAnExitingBridgeMakesNoThread) {
  exit_.Set();
  Run({EchoServer()});
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(capture_->Lines().size(), 0u);
  EXPECT_FALSE(Engine().IsConnected());
}

// Call-backs keep arriving on the server's threads while connections are torn down and made
// again: no record is touched after its deletion (the sanitizer builds watch this).
TEST_F(EngineTest, ReconnectionsUnderStreamingCallbacksKeepTheRecordsSafe) {
  std::vector<ProjectTagRecord> bulk;
  for (int i = 0; i < 20; ++i) {
    char id[32];
    std::snprintf(id, sizeof id, "Bulk.Item%04d", i);
    bulk.push_back(TagRecord(id, 5));
  }
  Run({TreeServer({GroupRecord("Bulk", 1, true, bulk, "10")})});
  for (int round = 0; round < 5; ++round) {
    ASSERT_TRUE(Connected());
    std::this_thread::sleep_for(15ms);
    device_.RequestShutdown(OLESTR("again"));
    ASSERT_TRUE(Eventually([&] { return Engine().State() != ConnectionState::kConnected; }));
  }
  ASSERT_TRUE(Connected());
  EXPECT_EQ(Engine().ItemCount(), 20u);
  EXPECT_GT(Value(0).updateCount, 5u);
}

}  // namespace
}  // namespace engine_test

}  // namespace tavrel
