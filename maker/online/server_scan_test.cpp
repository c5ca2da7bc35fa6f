#include "maker/online/server_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "common/log_time.h"
#include "common/markup_document.h"
#include "maker/online/node_discovery.h"
#include "maker/online/scan_test_servers.h"
#include "platform/com/com.h"
#include "platform/opcda/opc_ids.h"

namespace tavrel {

namespace {

using namespace scan_test;

struct Item {
  std::string id;
  int dt = 0;
  int ar = 0;
  bool operator==(const Item&) const = default;
};

// The "it" elements of the one "t" of a tag list file; nothing when the file has no "t".
std::optional<std::vector<Item>> ReadTagListFile(const std::string& path) {
  MarkupDocument document(MarkupBuild::kFull);
  if (!document.SetText(ReadTestFile(path)) || !document.FindElement("root")) return std::nullopt;
  document.EnterElement();
  if (!document.FindElement("t")) return std::nullopt;
  document.EnterElement();
  std::vector<Item> items;
  while (document.FindElement("it")) {
    items.push_back({document.GetAttribute("id"), std::stoi(document.GetAttribute("dt")),
                     std::stoi(document.GetAttribute("ar"))});
  }
  return items;
}

std::vector<std::string> Ids(const std::vector<Item>& items) {
  std::vector<std::string> ids;
  for (const Item& item : items) ids.push_back(item.id);
  return ids;
}

class RecordingListener final : public ScanListener {
 public:
  void AddLine(const std::string& text, bool timed) override {
    // A timed line is "YYYY-MM-DD hh:mm:ss mmm " and the message.
    if (timed) {
      EXPECT_TRUE(text.size() > kLogTimeLength && text[kLogTimeLength] == ' ') << text;
      messages.push_back(text.substr(kLogTimeLength + 1));
    } else {
      messages.push_back(text);
    }
  }
  void ReportProgress(const ScanProgress& progress) override { last = progress; }

  std::vector<std::string> messages;
  ScanProgress last;
};

class ServerScanTest : public ScanServersTest {
 protected:
  std::vector<std::string> Scan(const std::vector<TestServer>& servers, std::stop_token stop = {}) {
    ScanRequest request;
    request.programDirectory = directory.Path();
    for (const TestServer& server : servers)
      request.servers.push_back({server.progId, server.clsid});
    RunServerScan(request, listener, stop);
    return listener.messages;
  }
  std::string FileOf(const char* progId) {
    return directory / ("servers/" + std::string(progId) + ".xml");
  }

  RecordingListener listener;
};

TEST_F(ServerScanTest, EachKindOfServerGivesItsLinesAndItsFile) {
  const TestServer unreachable{"Scan.Missing.1", "{5CA70001-0000-4000-8000-0000000000FF}"};
  const std::vector<std::string> lines = Scan({kTree, kFlat, kLegacy, kNoBrowse, unreachable});
  const auto saved = [&](const char* progId) { return "文件已经保存到:" + FileOf(progId); };
  const std::vector<std::string> expected{
      "找到5个SERVER需要扫描!",
      "开始遍历SERVER TAG: Leaf mode",
      saved(kTree.progId),
      "开始遍历SERVER TAG: Flat mode",
      saved(kFlat.progId),
      "开始遍历SERVER TAG: Leaf mode",
      saved(kLegacy.progId),
      "Server[Scan.NoBrowse.1] 不支持数据浏览",
      saved(kNoBrowse.progId),
      "CoCreateInstance: Error",  // the connection's own message
      "获取Server[Scan.Missing.1] 点表失败",
      "扫描结束"};
  EXPECT_EQ(lines, expected);

  // Tree and flat walks list every item once, in pre-order; a flat server's ids are the flat
  // browse strings themselves.
  const std::vector<std::string> all = PreOrderIds(kBulkItems);
  for (const TestServer& server : {kTree, kFlat, kLegacy}) {
    const auto items = ReadTagListFile(FileOf(server.progId));
    ASSERT_TRUE(items.has_value()) << server.progId;
    EXPECT_EQ(Ids(*items), all) << server.progId;
    const auto find = [&](const std::string& id) {
      return *std::find_if(items->begin(), items->end(), [&](const Item& i) { return i.id == id; });
    };
    EXPECT_EQ(find("Random.Int1"), (Item{"Random.Int1", VT_I1, OPC_READABLE})) << server.progId;
    EXPECT_EQ(find("Echo.Real8"), (Item{"Echo.Real8", VT_R8, OPC_READABLE | OPC_WRITEABLE}));
  }
  EXPECT_EQ(ReadTagListFile(FileOf(kNoBrowse.progId)), std::vector<Item>{});
  EXPECT_FALSE(std::filesystem::exists(FileOf("Scan.Missing.1")));
  EXPECT_EQ(listener.last.serversDone, 5u);
  EXPECT_EQ(listener.last.itemsFound, 3 * all.size());
}

TEST_F(ServerScanTest, AMissingServersFolderIsMadeAndAFailedSaveIsNeverCalledSaved) {
  const std::string folder = directory / "servers";
  std::filesystem::remove_all(folder);
  EXPECT_EQ(Scan({kFlat}).at(2), "文件已经保存到:" + FileOf(kFlat.progId));
  EXPECT_TRUE(std::filesystem::is_regular_file(FileOf(kFlat.progId)));

  std::filesystem::remove_all(folder);
  WriteTestFile(folder, "");  // a file where the folder should be
  listener.messages.clear();
  const std::vector<std::string> lines = Scan({kFlat});
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2].rfind("文件保存失败:" + FileOf(kFlat.progId) + " (", 0), 0u) << lines[2];
  EXPECT_EQ(lines[3], "扫描结束");
}

TEST_F(ServerScanTest, AStoppedScanWritesNoFileForTheServerItWasScanning) {
  std::stop_source stop;
  stop.request_stop();
  EXPECT_EQ(Scan({kTree}, stop.get_token()),
            (std::vector<std::string>{"找到1个SERVER需要扫描!", "扫描已取消"}));
  EXPECT_FALSE(std::filesystem::exists(FileOf(kTree.progId)));
}

TEST_F(ServerScanTest, DiscoveryListsTheCategoryChosenOrSaysWhyNot) {
  NodeDiscoveryRequest request;
  request.category = CATID_OPCDAServer10;
  const NodeDiscovery da10 = DiscoverNodeServers(request);
  EXPECT_EQ(da10.message, "");
  ASSERT_EQ(da10.servers.size(), 1u);
  EXPECT_EQ(da10.servers[0],
            (ServerListEntry{kLegacy.progId, "Scan.Legacy.1 test", kLegacy.clsid, kDa10}));

  request.category = CATID_OPCDAServer20;
  const NodeDiscovery da20 = DiscoverNodeServers(request);
  std::vector<std::string> progIds;
  for (const ServerListEntry& server : da20.servers) {
    progIds.push_back(server.progId);
    EXPECT_EQ(server.catid, kDa20);
  }
  for (const char* expected : {opcsim::kOpcSimTreeProgId, opcsim::kOpcSimFlatProgId, kTree.progId,
                               kFlat.progId, kNoBrowse.progId}) {
    EXPECT_NE(std::find(progIds.begin(), progIds.end(), expected), progIds.end()) << expected;
  }

  request.node = "nowhere";
  EXPECT_EQ(DiscoverNodeServers(request).message,
            "Error connecting to OPC 2.0 Server Browser on nowhere.");
}

// On a computer without the OPC core components (no server list class registered) discovery
// asks for them. A process of its own, which registers nothing, stands for that computer.
TEST(DiscoveryWithoutTheOpcComponents, AsksForThemToBeInstalled) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        NodeDiscoveryRequest request;
        request.category = CATID_OPCDAServer20;
        const NodeDiscovery discovery = DiscoverNodeServers(request);
        std::fprintf(stderr, "[%s] %zu", discovery.message.c_str(), discovery.servers.size());
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "\\[Please install the OPC 2\\.0 Components\\.\\] 0");
}

}  // namespace

}  // namespace tavrel
