#include "bridge/opc/server_discovery.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/markup_document.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/com.h"
#include "platform/com/linux/class_registry.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcda/opcda.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace {

class ServerDiscoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    RegisterOpcCoreClasses();
    opcsim::RegisterSimulatedServers();
  }
  void TearDown() override { CoUninitialize(); }
};

const ServerListEntry* Find(const std::vector<ServerListEntry>& servers, std::string_view progId) {
  const auto found = std::find_if(servers.begin(), servers.end(),
                                  [&](const ServerListEntry& e) { return e.progId == progId; });
  return found == servers.end() ? nullptr : &*found;
}

TEST_F(ServerDiscoveryTest, ListsTheDa2ServersAndPausesBeforeEach) {
  const std::size_t tasksBefore = TaskMemoryBlocksInUse();
  int pauses = 0;
  const std::vector<ServerListEntry> servers = ListServers([&] { ++pauses; });
  EXPECT_EQ(pauses, static_cast<int>(servers.size()));

  const ServerListEntry* tree = Find(servers, opcsim::kOpcSimTreeProgId);
  const ServerListEntry* flat = Find(servers, opcsim::kOpcSimFlatProgId);
  ASSERT_NE(tree, nullptr);
  ASSERT_NE(flat, nullptr);
  EXPECT_EQ(tree->clsid, "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}");
  EXPECT_EQ(flat->clsid, "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A02}");
  EXPECT_EQ(tree->catid, "{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}");
  EXPECT_FALSE(tree->description.empty());
  // The DA 1.0 server is in no category; the list service does not report it.
  EXPECT_EQ(Find(servers, opcsim::kOpcSimLegacyProgId), nullptr);
  EXPECT_EQ(TaskMemoryBlocksInUse(), tasksBefore);
}

TEST_F(ServerDiscoveryTest, ADa2ClassOnAnotherNodeOnlyIsNotListed) {
  ClassDescriptor remote;
  remote.progId = "Remote.Only.1";
  remote.clsid = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
  remote.description = "remote";
  remote.categories = {CATID_OPCDAServer20};
  remote.nodes = {"discovery-elsewhere"};
  ClassRegistry::Instance().RegisterDeclaredClass(remote);
  EXPECT_EQ(Find(ListServers([] {}), "Remote.Only.1"), nullptr);
}

std::vector<std::vector<std::string>> Entries(const std::string& text) {
  MarkupDocument document(MarkupBuild::kBridge);
  EXPECT_TRUE(document.SetText(text));
  document.FindElement("root");
  EXPECT_EQ(document.GetAttribute("ver"), "0");
  document.EnterElement();
  std::vector<std::vector<std::string>> entries;
  while (document.FindElement("t")) {
    entries.push_back({document.GetAttribute("a"), document.GetAttribute("b"),
                       document.GetAttribute("c"), document.GetAttribute("d"),
                       document.GetAttribute("error")});
  }
  return entries;
}

TEST(ServerListDocument, OneEntryPerServerOrTheErrorForNone) {
  const std::string empty = ServerListDocument({});
  EXPECT_EQ(empty.rfind("<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n", 0), 0u);
  EXPECT_EQ(Entries(empty),
            (std::vector<std::vector<std::string>>{{"", "", "", "", "获取Server 列表失败"}}));

  const std::vector<ServerListEntry> servers{{"A.1", "描述 \"x\" & <y>", "{C1}", "{D1}"},
                                             {"B.1", "", "{C2}", "{D2}"}};
  const std::string text = ServerListDocument(servers);
  EXPECT_EQ(Entries(text),
            (std::vector<std::vector<std::string>>{{"A.1", "描述 \"x\" & <y>", "{C1}", "{D1}", ""},
                                                   {"B.1", "", "{C2}", "{D2}", ""}}));
  EXPECT_NE(text.find("<t a=\"A.1\" b=\""), std::string::npos);
}

}  // namespace

}  // namespace tavrel
