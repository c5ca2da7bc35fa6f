// opcsim_server serves the simulated classes from a process of its own, as COM starts it once its
// /RegServer ran: calls and call-backs of both DA versions, and shutdown requests, cross the
// processes through our proxy/stubs, and the server ends once its last client is gone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "platform/opcda/opc_proxy_registration.h"
#include "platform/opcsim/simulated_device_control.h"
#include "platform/opcsim/simulated_servers.h"
#include "platform/opcsim/stream_formats.h"
#include "platform/opcsim/test_client.h"

namespace tavrel::opcsim {

namespace {

using namespace std::chrono_literals;

class LocalServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    ASSERT_EQ(RegisterOpcProxies(), S_OK);
  }
  void TearDown() override { CoUninitialize(); }

  static ComPtr<IOPCServer> Create(const CLSID& clsid) {
    return CreateObject<IOPCServer>(clsid, S_OK, CLSCTX_LOCAL_SERVER);
  }
};

TEST_F(LocalServerTest, CallsCallBacksAndShutdownRequestsCrossTheProcesses) {
  SimulatedDeviceControl tree(CLSID_OPCSimTree);
  ASSERT_NE(tree.ServerProcessId(), static_cast<DWORD>(::getpid()));
  tree.Reset({});

  TestClient client(Create(CLSID_OPCSimTree));
  ASSERT_TRUE(client.Server());
  const TestClient::Group group = client.AddGroup(OLESTR("G"), 20, 7);
  std::vector<HRESULT> errors;
  client.AddItems(group, {OLESTR("Ramp.Int4"), OLESTR("No.Such.Item")}, &errors);
  EXPECT_EQ(errors, (std::vector<HRESULT>{S_OK, OPC_E_UNKNOWNITEMID}));
  const auto callback = MakeComObject<RecordingCallback>();
  client.Advise(group, callback.Get());
  const std::vector<ReceivedCall> calls = callback->WaitForCalls(ReceivedCall::kDataChange, 1);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[0].clientGroup, 7u);
  ASSERT_EQ(calls[0].items.size(), 1u);
  EXPECT_EQ(calls[0].items[0].clientHandle, 1u);
  EXPECT_EQ(calls[0].items[0].value.Type(), VT_I4);

  // Arrays of strings and VARIANTs that the server allocates for the client.
  const ComPtr<IOPCItemProperties> properties = client.ServerAs<IOPCItemProperties>();
  WideString echo = OLESTR("Echo.Real8");
  DWORD count = 0;
  DWORD* ids = nullptr;
  LPWSTR* descriptions = nullptr;
  VARTYPE* types = nullptr;
  ASSERT_EQ(properties->QueryAvailableProperties(echo.data(), &count, &ids, &descriptions, &types),
            S_OK);
  ASSERT_GE(count, 3u);
  EXPECT_EQ(ids[1], static_cast<DWORD>(OPC_PROPERTY_VALUE));
  EXPECT_EQ(WideString(descriptions[1]), OPC_PROPERTY_DESC_VALUE);
  for (DWORD index = 0; index < count; ++index) CoTaskMemFree(descriptions[index]);
  CoTaskMemFree(ids);
  CoTaskMemFree(descriptions);
  CoTaskMemFree(types);

  const auto shutdown = MakeComObject<RecordingShutdown>();
  DWORD cookie = 0;
  ASSERT_EQ(AtlAdvise(client.Server(), shutdown.Get(), IID_IOPCShutdown, &cookie), S_OK);
  tree.RequestShutdown(OLESTR("维护 maintenance"));
  EXPECT_EQ(shutdown->WaitForReasons(1, 5s), std::vector<WideString>{OLESTR("维护 maintenance")});

  // DA 1.0: the group's data streams through IDataObject and IAdviseSink.
  TestClient legacy(Create(CLSID_OPCSimLegacy));
  ASSERT_TRUE(legacy.Server());
  const TestClient::Group legacyGroup = legacy.AddGroup(OLESTR("L"), 20, 9);
  legacy.AddItems(legacyGroup, {OLESTR("Ramp.Int4")});
  const auto sink = MakeComObject<RecordingAdviseSink>();
  TestClient::AdviseStream(legacyGroup, OpcStreamFormats().dataTime, sink.Get());
  const std::vector<RecordingAdviseSink::Stream> streams = sink->WaitForStreams(1);
  ASSERT_FALSE(streams.empty());
  EXPECT_EQ(streams[0].format, OpcStreamFormats().dataTime);
  const auto header = streams[0].At<OPCGROUPHEADER>(0);
  EXPECT_EQ(header.hClientGroup, 9u);
  EXPECT_EQ(header.dwItemCount, 1u);
}

TEST_F(LocalServerTest, TheServerEndsAfterItsLastClientLeft) {
  DWORD serverProcess = 0;
  {
    SimulatedDeviceControl control(CLSID_OPCSimFlat);
    serverProcess = control.ServerProcessId();
    TestClient client(Create(CLSID_OPCSimFlat));
    client.AddGroup(OLESTR("G"), 100);
  }
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, serverProcess);
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
  CloseHandle(process);
}

}  // namespace

}  // namespace tavrel::opcsim
