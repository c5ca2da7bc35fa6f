// The simulated servers the maker's scan and tag tests run against, declared in a registry
// file of their own: a tree server, a flat one, a DA 1.0 only one and one without
// address-space browsing (fault "refuse-browse"), each with a small Bulk branch; and a tree
// server with 7000 Bulk items of which one is rejected by AddItems and ValidateItems.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/code_page.h"
#include "common/test_files.h"
#include "desktop/message_boxes.h"
#include "maker/online/server_link.h"
#include "maker/project/project_nodes.h"
#include "platform/com/com_api.h"
#include "platform/com/linux/class_registry.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcsim/item_catalogue.h"
#include "platform/opcsim/simulated_address_space.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace scan_test {

inline constexpr std::size_t kBulkItems = 250;  // more than one batch of names, not a multiple
inline constexpr std::size_t kLargeBulkItems = 7000;
inline constexpr char kRejectedId[] = "Bulk.Item4000";

struct TestServer {
  const char* progId;
  const char* clsid;
};
inline constexpr TestServer kTree{"Scan.Tree.1", "{5CA70001-0000-4000-8000-000000000001}"};
inline constexpr TestServer kFlat{"Scan.Flat.1", "{5CA70001-0000-4000-8000-000000000002}"};
inline constexpr TestServer kLegacy{"Scan.Legacy.1", "{5CA70001-0000-4000-8000-000000000003}"};
inline constexpr TestServer kNoBrowse{"Scan.NoBrowse.1", "{5CA70001-0000-4000-8000-000000000004}"};
inline constexpr TestServer kLarge{"Scan.Large.1", "{5CA70001-0000-4000-8000-000000000005}"};
inline constexpr char kDa10[] = "{63D5F430-CFE4-11D1-B2C8-0060083BA1FB}";
inline constexpr char kDa20[] = "{63D5F432-CFE4-11D1-B2C8-0060083BA1FB}";

inline std::string ClassSection(const TestServer& server, const char* implementation,
                                const char* category, const std::string& extra) {
  return std::string("[class]\nprogid = ") + server.progId + "\nclsid = " + server.clsid +
         "\ndescription = " + server.progId + " test\ncategory = " + category +
         "\nimplementation = " + implementation + "\n" + extra + "\n";
}

// Registers the core classes, the simulated servers and the test servers, once per process.
inline void RegisterScanTestServers() {
  static const bool registered = [] {
    RegisterOpcCoreClasses();
    opcsim::RegisterSimulatedServers();
    const TestDirectory directory;
    const std::string bulk = "bulk_items = " + std::to_string(kBulkItems) + "\n";
    WriteTestFile(directory / "com_registry.conf",
                  ClassSection(kTree, opcsim::kOpcSimTreeProgId, kDa20, bulk) +
                      ClassSection(kFlat, opcsim::kOpcSimFlatProgId, kDa20, bulk) +
                      ClassSection(kLegacy, opcsim::kOpcSimLegacyProgId, kDa10, bulk) +
                      ClassSection(kNoBrowse, opcsim::kOpcSimTreeProgId, kDa20,
                                   bulk + "faults = at 0 refuse-browse\n") +
                      ClassSection(kLarge, opcsim::kOpcSimTreeProgId, kDa20,
                                   "bulk_items = " + std::to_string(kLargeBulkItems) +
                                       "\nfaults = at 0 reject " + kRejectedId + "\n"));
    EXPECT_EQ(ClassRegistry::Instance().LoadFile(directory / "com_registry.conf"),
              std::vector<std::string>{});
    return true;
  }();
  (void)registered;
}

// Links `node` to `server` (its ProgID and CLSID) as the maker connects a configured server,
// dropping an earlier link first; the test fails when the connection does.
inline ServerLink& LinkToTestServer(ServerNode& node, const TestServer& server,
                                    MessageBoxes& boxes) {
  node.link.reset();
  node.settings.sid = server.progId;
  node.settings.clsid = server.clsid;
  EXPECT_TRUE(ConnectServer(node, boxes));
  return *node.link;
}

// A test against the scan test servers: they are registered once, each test runs in COM with a
// program directory of its own that has a `servers` folder.
class ScanServersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterScanTestServers(); }
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    std::filesystem::create_directory(directory / "servers");
  }
  void TearDown() override { CoUninitialize(); }

  TestDirectory directory;
};

// Every item id of the simulated address space in the order the scan lists them: the items of
// a branch (the top included) before those of its sub-branches, depth first.
inline std::vector<std::string> PreOrderIds(std::size_t bulkItems) {
  const opcsim::ItemCatalogue catalogue = opcsim::BuildSimulatedAddressSpace(bulkItems);
  std::vector<std::string> ids;
  std::function<void(std::size_t)> collect = [&](std::size_t branch) {
    for (std::size_t item : catalogue.Branch(branch).items) {
      ids.push_back(WideToAnsi(catalogue.Item(item).itemId));
    }
    for (std::size_t sub : catalogue.Branch(branch).branches) collect(sub);
  };
  collect(opcsim::ItemCatalogue::kRoot);
  return ids;
}

}  // namespace scan_test

}  // namespace tavrel
