#include "opcclient/server_chooser.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/wide_string.h"
#include "platform/com/auth_identity.h"
#include "platform/com/com.h"
#include "platform/com/linux/class_registry.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcda/opcda.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace {

constexpr char kGuardedHost[] = "chooser-guarded";
constexpr CLSID kOldServerClsid = {
    0x0C0C0C0C, 0x1111, 0x2222, {0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA}};
constexpr CLSID kNewServerClsid = {
    0x0C0C0C0C, 0x1111, 0x2222, {0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAB}};
constexpr CLSID kNoServerClsid = {
    0x0C0C0C0C, 0x1111, 0x2222, {0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAC}};

AuthIdentity GoodIdentity() { return {OLESTR("operator"), OLESTR("PLANT"), OLESTR("secret")}; }

// A host that demands an identity, with a DA 1.0 server, a DA 2.0 server and a class that is
// no OPC server.
class ServerChooserTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterOpcCoreClasses();
    opcsim::RegisterSimulatedServers();
    ClassRegistry& registry = ClassRegistry::Instance();
    registry.RegisterNode({kGuardedHost, NodeIdentity{"operator", "PLANT", "secret"}});
    const auto declare = [&](const char* progId, const CLSID& clsid, const char* version,
                             std::vector<CATID> categories) {
      ClassDescriptor descriptor;
      descriptor.progId = progId;
      descriptor.clsid = clsid;
      descriptor.description = std::string(progId) + " 描述";
      descriptor.categories = std::move(categories);
      descriptor.nodes = {kGuardedHost};
      if (version != nullptr) descriptor.settings[kOpcServerSetting] = version;
      registry.RegisterDeclaredClass(descriptor);
    };
    declare("Old.Server.1", kOldServerClsid, "1.0", {});
    declare("New.Server.1", kNewServerClsid, "2.0", {CATID_OPCDAServer20});
    declare("Not.A.Server.1", kNoServerClsid, nullptr, {});
  }
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
  void TearDown() override { CoUninitialize(); }

  static std::vector<std::string> ProgIds(const ServerChooserList& list) {
    std::vector<std::string> ids;
    for (const ServerChooserEntry& entry : list.entries) ids.push_back(entry.progId);
    return ids;
  }
};

TEST_F(ServerChooserTest, ThisComputersDa2ServersWithTheChosenOneSelected) {
  ServerChooserRequest request;
  request.chosenProgId = opcsim::kOpcSimFlatProgId;
  const ServerChooserList list = FillServerChooser(request);
  EXPECT_TRUE(list.messages.empty());
  const std::vector<std::string> ids = ProgIds(list);
  ASSERT_EQ(list.lines.size(), ids.size());
  const auto flat = std::find(ids.begin(), ids.end(), opcsim::kOpcSimFlatProgId);
  ASSERT_NE(flat, ids.end());
  ASSERT_NE(std::find(ids.begin(), ids.end(), opcsim::kOpcSimTreeProgId), ids.end());
  EXPECT_EQ(std::find(ids.begin(), ids.end(), opcsim::kOpcSimLegacyProgId), ids.end());
  const auto index = flat - ids.begin();
  EXPECT_EQ(list.selected, index);
  EXPECT_EQ(list.entries[index].clsid, opcsim::CLSID_OPCSimFlat);
  EXPECT_EQ(list.lines[index],
            std::string(opcsim::kOpcSimFlatProgId) + "  (" + list.entries[index].description + ")");

  request.chosenProgId = "opcsim.flat.1";  // the selection compares exactly
  EXPECT_EQ(FillServerChooser(request).selected, -1);
}

TEST_F(ServerChooserTest, RegistryWalkListsOpcServersWhenTheListServiceIsUnreachable) {
  ServerChooserRequest request;
  request.host = kGuardedHost;  // demands an identity, which is not presented
  request.category = CATID_OPCDAServer10;
  request.chosenProgId = "Old.Server.1";
  const ServerChooserList old = FillServerChooser(request);
  EXPECT_EQ(old.messages, std::vector<std::string>{
                              "Error connecting to OPC 2.0 Server Browser on chooser-guarded."});
  EXPECT_EQ(ProgIds(old), (std::vector<std::string>{"Old.Server.1", "New.Server.1"}));
  EXPECT_EQ(old.lines.front(), "Old.Server.1  (Old.Server.1 描述)");
  EXPECT_EQ(old.entries.front().clsid, kOldServerClsid);
  EXPECT_EQ(old.selected, 0);

  // No walk for the DA 2.0 category.
  request.category = CATID_OPCDAServer20;
  const ServerChooserList none = FillServerChooser(request);
  EXPECT_EQ(none.messages.size(), 1u);
  EXPECT_TRUE(none.entries.empty());

  // A host no one knows: neither the service nor its registry is reached.
  request.host = "chooser-nowhere";
  request.category = CATID_OPCDAServer10;
  const ServerChooserList nowhere = FillServerChooser(request);
  EXPECT_EQ(
      nowhere.messages,
      std::vector<std::string>{"Error connecting to OPC 2.0 Server Browser on chooser-nowhere."});
  EXPECT_TRUE(nowhere.entries.empty());
}

TEST_F(ServerChooserTest, MakersChooserPresentsItsIdentityToTheNamedHost) {
  ServerChooserRequest request;
  request.host = kGuardedHost;
  request.remoteServer = true;
  request.identity = GoodIdentity();
  const ServerChooserList list = FillServerChooser(request);
  EXPECT_TRUE(list.messages.empty());
  EXPECT_EQ(ProgIds(list), std::vector<std::string>{"New.Server.1"});

  request.identity->password = OLESTR("wrong");
  EXPECT_EQ(FillServerChooser(request).messages.size(), 1u);
}

TEST_F(ServerChooserTest, HostsAreTheKnownNodesAndCategoriesFallBackToDa2) {
  const std::vector<std::string> hosts = EnumNetworkHosts();
  EXPECT_NE(std::find(hosts.begin(), hosts.end(), kGuardedHost), hosts.end());
  EXPECT_EQ(ChooserCategoryFromText("{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}"), CATID_OPCDAServer10);
  EXPECT_EQ(ChooserCategoryFromText("{63d5f430-cfe4-11d1-b2c8-0060083ba1fb}"), CATID_OPCDAServer10);
  EXPECT_EQ(ChooserCategoryFromText("1.0"), CATID_OPCDAServer20);
  EXPECT_EQ(ChooserCategoryFromText(""), CATID_OPCDAServer20);
}

}  // namespace

}  // namespace tavrel
