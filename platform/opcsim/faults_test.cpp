#include <gtest/gtest.h>

#include "common/wide_string.h"
#include "platform/opcsim/test_client.h"

namespace tavrel::opcsim {

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

class Faults : public SimulatedServerTest {
 protected:
  void SetUp() override {
    SimulatedServerTest::SetUp();
    device_ = SimulatedDevice::Create(ServerProfile::kTree, FastSettings());
  }

  static OPCSERVERSTATE StateOf(IOPCServer* server, HRESULT* result = nullptr) {
    OPCSERVERSTATUS* status = nullptr;
    const HRESULT hr = server->GetStatus(&status);
    if (result != nullptr) *result = hr;
    if (FAILED(hr)) return static_cast<OPCSERVERSTATE>(0);
    const OPCSERVERSTATE state = status->dwServerState;
    CoTaskMemFree(status->szVendorInfo);
    CoTaskMemFree(status);
    return state;
  }

  // Polls until `condition` holds, for at most `limit`.
  static bool Eventually(const std::function<bool()>& condition, milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition()) {
      if (Clock::now() > end) return false;
      std::this_thread::sleep_for(milliseconds(2));
    }
    return true;
  }

  std::shared_ptr<SimulatedDevice> device_;
};

TEST_F(Faults, ReportedStateShowsInGetStatusOnly) {
  TestClient client(device_);
  device_->Faults().SetServerState(OPC_STATUS_FAILED);
  EXPECT_EQ(StateOf(client.Server()), OPC_STATUS_FAILED);
  EXPECT_EQ(client.AddGroup(OLESTR("G"), 100).revisedRate, 100u) << "the server still works";
  device_->Faults().SetServerState(OPC_STATUS_RUNNING);
  EXPECT_EQ(StateOf(client.Server()), OPC_STATUS_RUNNING);
}

TEST_F(Faults, ShutdownRequestReachesTheSinksOfEveryConnectionFromTheServersThread) {
  TestClient first(device_);
  TestClient second(device_);
  auto sinkA = MakeComObject<RecordingShutdown>();
  auto sinkB = MakeComObject<RecordingShutdown>();
  DWORD cookieA = 0, cookieB = 0;
  ASSERT_EQ(AtlAdvise(first.Server(), sinkA.Get(), IID_IOPCShutdown, &cookieA), S_OK);
  ASSERT_EQ(AtlAdvise(second.Server(), sinkB.Get(), IID_IOPCShutdown, &cookieB), S_OK);
  device_->RequestShutdown(OLESTR("维护 maintenance"));
  EXPECT_EQ(sinkA->WaitForReasons(1, milliseconds(2000)),
            std::vector<WideString>{OLESTR("维护 maintenance")});
  EXPECT_EQ(sinkB->WaitForReasons(1, milliseconds(2000)).size(), 1u);
  ASSERT_EQ(AtlUnadvise(first.Server(), IID_IOPCShutdown, cookieA), S_OK);
  device_->RequestShutdown(OLESTR("again"));
  EXPECT_EQ(sinkB->WaitForReasons(2, milliseconds(2000)).size(), 2u);
  EXPECT_EQ(sinkA->WaitForReasons(2, milliseconds(20)).size(), 1u) << "unadvised";
}

TEST_F(Faults, DeathDisconnectsEveryConnectionUntilRevivedThenNewOnesWork) {
  TestClient client(device_);
  const auto group = client.AddGroup(OLESTR("G"), 10);
  const auto handles = client.AddItems(group, {OLESTR("Ramp.Int4")});
  auto callback = MakeComObject<RecordingCallback>();
  client.Advise(group, callback.Get());
  callback->WaitForCalls(ReceivedCall::kDataChange, 1);

  device_->Faults().Die();
  HRESULT hr;
  StateOf(client.Server(), &hr);
  EXPECT_EQ(hr, RPC_E_DISCONNECTED);
  OPCHANDLE handle = handles[0];
  OPCITEMSTATE* states = nullptr;
  HRESULT* errors = nullptr;
  EXPECT_EQ(group.As<IOPCSyncIO>()->Read(OPC_DS_CACHE, 1, &handle, &states, &errors),
            RPC_E_DISCONNECTED);
  ComPtr<IOPCServer> fresh;
  EXPECT_EQ(device_->Connect(IID_IOPCServer, fresh.ReleaseAndGetVoidAddressOf()),
            CO_E_SERVER_EXEC_FAILURE);
  std::this_thread::sleep_for(milliseconds(20));  // a pass under way may still deliver
  callback->Clear();
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_TRUE(callback->Calls().empty()) << "a dead server sends nothing";

  device_->Faults().Revive();
  StateOf(client.Server(), &hr);
  EXPECT_EQ(hr, RPC_E_DISCONNECTED) << "old connections stay dead";
  TestClient revived(device_);
  EXPECT_EQ(StateOf(revived.Server(), &hr), OPC_STATUS_RUNNING);
  EXPECT_EQ(hr, S_OK);
}

TEST_F(Faults, RefusedAddGroupAndRejectedItemIds) {
  TestClient client(device_);
  device_->Faults().RefuseAddGroup(E_OUTOFMEMORY);
  OPCHANDLE handle;
  DWORD revised;
  ComPtr<IUnknown> group;
  EXPECT_EQ(client.Server()->AddGroup(OLESTR("G"), TRUE, 100, 1, nullptr, nullptr, 0, &handle,
                                      &revised, IID_IUnknown, group.GetAddressOf()),
            E_OUTOFMEMORY);
  device_->Faults().AcceptAddGroup();
  const auto accepted = client.AddGroup(OLESTR("G"), 100);
  device_->Faults().RejectItemIds({OLESTR("Echo.Int4"), OLESTR("中文.设备一.温度")},
                                  OPC_E_INVALIDITEMID);
  std::vector<HRESULT> errors;
  client.AddItems(accepted, {OLESTR("Echo.Int4"), OLESTR("Echo.Int2"), OLESTR("中文.设备一.温度")},
                  &errors);
  EXPECT_EQ(errors, (std::vector<HRESULT>{OPC_E_INVALIDITEMID, S_OK, OPC_E_INVALIDITEMID}));
  device_->Faults().RejectItemIds({});
  errors.clear();
  client.AddItems(accepted, {OLESTR("Echo.Int4")}, &errors);
  EXPECT_EQ(errors, std::vector<HRESULT>{S_OK});
}

TEST_F(Faults, HangBlocksCallsAndCallbacksForItsDuration) {
  TestClient client(device_);
  const auto group = client.AddGroup(OLESTR("G"), 10);
  client.AddItems(group, {OLESTR("Ramp.Int4")});
  auto callback = MakeComObject<RecordingCallback>();
  client.Advise(group, callback.Get());
  callback->WaitForCalls(ReceivedCall::kDataChange, 1);

  device_->Faults().Hang(milliseconds(150));
  const auto start = Clock::now();
  std::this_thread::sleep_for(milliseconds(15));
  callback->Clear();
  EXPECT_EQ(StateOf(client.Server()), OPC_STATUS_RUNNING);
  const auto blocked = Clock::now() - start;
  EXPECT_GE(blocked, milliseconds(140));
  const auto calls = callback->WaitForCalls(ReceivedCall::kDataChange, 1);
  ASSERT_FALSE(calls.empty()) << "callbacks resume after the hang";
  EXPECT_GE(calls[0].arrival - start, milliseconds(140));
}

TEST_F(Faults, ScriptStagesFaultsOnTheServersClock) {
  SimulationSettings settings = FastSettings();
  std::string error;
  ASSERT_TRUE(
      ParseFaultScript("at 0.05 state suspended for 0.1; at 0.05 shutdown bye;"
                       "at 0.25 die for 0.1; at 0.45 refuse-addgroup",
                       &settings.faultScript, &error));
  // Taken before the device exists, so the script's times count from no later than `start`.
  const auto start = Clock::now();
  auto device = SimulatedDevice::Create(ServerProfile::kTree, settings);
  TestClient client(device);
  auto sink = MakeComObject<RecordingShutdown>();
  DWORD cookie = 0;
  ASSERT_EQ(AtlAdvise(client.Server(), sink.Get(), IID_IOPCShutdown, &cookie), S_OK);

  ASSERT_TRUE(Eventually([&] { return StateOf(client.Server()) == OPC_STATUS_SUSPENDED; },
                         milliseconds(2000)));
  EXPECT_GE(Clock::now() - start, milliseconds(45));
  EXPECT_EQ(sink->WaitForReasons(1, milliseconds(2000)), std::vector<WideString>{OLESTR("bye")});
  ASSERT_TRUE(Eventually([&] { return StateOf(client.Server()) == OPC_STATUS_RUNNING; },
                         milliseconds(2000)));
  HRESULT hr = S_OK;
  ASSERT_TRUE(Eventually(
      [&] {
        StateOf(client.Server(), &hr);
        return hr == RPC_E_DISCONNECTED;
      },
      milliseconds(2000)));
  EXPECT_GE(Clock::now() - start, milliseconds(245));
  ComPtr<IOPCServer> revived;
  ASSERT_TRUE(Eventually(
      [&] {
        return SUCCEEDED(device->Connect(IID_IOPCServer, revived.ReleaseAndGetVoidAddressOf()));
      },
      milliseconds(2000)));
  OPCHANDLE handle;
  DWORD revised;
  ComPtr<IUnknown> group;
  ASSERT_TRUE(Eventually(
      [&] {
        return revived->AddGroup(OLESTR("G"), TRUE, 100, 1, nullptr, nullptr, 0, &handle, &revised,
                                 IID_IUnknown, group.ReleaseAndGetAddressOf()) == E_FAIL;
      },
      milliseconds(2000)));
  EXPECT_GE(Clock::now() - start, milliseconds(445));
}

}  // namespace

}  // namespace tavrel::opcsim
