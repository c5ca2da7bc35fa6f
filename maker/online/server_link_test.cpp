#include "maker/online/server_link.h"

#include <gtest/gtest.h>

#include "common/code_page.h"
#include "common/test_files.h"
#include "desktop/recording_message_boxes.h"
#include "maker/project/project_nodes.h"
#include "platform/com/com.h"
#include "platform/com/linux/class_registry.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace {

constexpr char kGuardedNode[] = "maker-guarded";
constexpr char kRemoteClsid[] = "{0D0D0D0D-1111-2222-3344-556677889900}";
constexpr char kTreeClsid[] = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}";
constexpr char kLegacyClsid[] = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A03}";

// A node of the registry file that demands an identity, serving a simulated DA 2.0 server.
class ServerLinkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterOpcCoreClasses();
    opcsim::RegisterSimulatedServers();
    const TestDirectory directory;
    const std::string file = directory / "com_registry.conf";
    WriteTestFile(file, std::string("[node ") + kGuardedNode +
                            "]\nuser = operator\ndomain = PLANT\npassword = secret\n\n"
                            "[class]\nprogid = Remote.Sim.1\nclsid = " +
                            kRemoteClsid + "\nnode = " + kGuardedNode +
                            "\nimplementation = " + opcsim::kOpcSimTreeProgId + "\n");
    ASSERT_EQ(ClassRegistry::Instance().LoadFile(file), std::vector<std::string>{});
  }
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
  void TearDown() override {
    server.link.reset();
    CoUninitialize();
  }

  ServerNode server;
  RecordingMessageBoxes boxes;
};

TEST_F(ServerLinkTest, LocalServersTakeTheCallbackOrTheDa1Streams) {
  for (const char* node : {"", "LOCALHOST", "127.0.0.1"}) {
    server.settings.clsid = kTreeClsid;
    server.settings.node = node;
    ASSERT_TRUE(ConnectServer(server, boxes)) << node;
    EXPECT_TRUE(server.link->HasDataCallback());

    ComPtr<IUnknown> group;
    ASSERT_TRUE(SUCCEEDED(server.link->Server()->GetGroupByName(
        OLESTR("Tomelund"), IID_IOPCGroupStateMgt, group.GetAddressOf())));
    ComPtr<IOPCGroupStateMgt> state;
    ASSERT_TRUE(SUCCEEDED(group.As(&state)));
    DWORD rate = 0;
    BOOL active = FALSE;
    LPWSTR name = nullptr;
    LONG bias = 0;
    FLOAT deadband = 0;
    DWORD locale = 0;
    OPCHANDLE client = 0, serverHandle = 0;
    ASSERT_TRUE(SUCCEEDED(
        state->GetState(&rate, &active, &name, &bias, &deadband, &locale, &client, &serverHandle)));
    CoTaskMemFree(name);
    EXPECT_EQ(client, kInternalGroupClientHandle);
    EXPECT_EQ(rate, 1000u);
    EXPECT_TRUE(active);
    server.link.reset();
  }

  server.settings.clsid = kLegacyClsid;
  ASSERT_TRUE(ConnectServer(server, boxes));
  EXPECT_FALSE(server.link->HasDataCallback());
  EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text;
}

TEST_F(ServerLinkTest, FailuresShowTheirMessagesAndLeaveTheNodeDisconnected) {
  struct Case {
    const char* node;
    const char* clsid;
    const char* c1;
    const char* message;  // nullptr: no message
  };
  const Case cases[] = {
      {"", "not a clsid", "0", nullptr},
      {"", kRemoteClsid, "0", "CoCreateInstance: Error"},  // not served on this computer
      {kGuardedNode, kRemoteClsid, "0", "CoCreateInstanceEx: Error"},  // no identity offered
      {"plc-nowhere", kTreeClsid, "1", "CoCreateInstanceEx: Error"},   // unknown host
  };
  for (const Case& c : cases) {
    boxes.shown.clear();
    server.settings.node = c.node;
    server.settings.clsid = c.clsid;
    server.settings.c1 = c.c1;
    EXPECT_FALSE(ConnectServer(server, boxes)) << c.node << " " << c.clsid;
    EXPECT_FALSE(IsServerConnected(server));
    const std::vector<RecordingMessageBoxes::Box> expected =
        c.message == nullptr ? std::vector<RecordingMessageBoxes::Box>{}
                             : std::vector<RecordingMessageBoxes::Box>{{c.message, kMakerTitle}};
    EXPECT_EQ(boxes.shown, expected) << c.node << " " << c.clsid;
  }
}

TEST_F(ServerLinkTest, RemoteNodeIsReachedWithTheServersCredentials) {
  server.settings.node = kGuardedNode;
  server.settings.clsid = kRemoteClsid;
  server.settings.c1 = "1";
  server.settings.c2 = "operator";
  server.settings.c3 = "secret";
  server.settings.c4 = "PLANT";
  ASSERT_TRUE(ConnectServer(server, boxes));
  EXPECT_TRUE(IsServerConnected(server));
  EXPECT_TRUE(boxes.shown.empty());

  server.link.reset();
  server.settings.c3 = "wrong";
  EXPECT_FALSE(ConnectServer(server, boxes));
}

}  // namespace

}  // namespace tavrel
