// The fixture of the browse tests: simulated servers with more Bulk items than one enumeration
// call returns, a log directory, and readers of the browse document and of the logs.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "bridge/opc/engine_test_support.h"
#include "bridge/opc/server_tag_browse.h"
#include "common/code_page.h"
#include "common/markup_document.h"
#include "common/test_files.h"
#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/com.h"
#include "platform/com/com_apartment.h"
#include "platform/com/guid_text.h"
#include "platform/opcda/opcda.h"
#include "platform/opcsim/simulated_address_space.h"
#include "platform/opcsim/simulated_device_control.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel::browse_test {

// More names than one enumeration call returns (100), and not a multiple of it: the walks must
// read every batch and the short last one.
constexpr std::size_t kBulkItems = 250;
constexpr char kTreeClsid[] = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}";
constexpr char kFlatClsid[] = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A02}";
constexpr char kLegacyClsid[] = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A03}";
struct Item {
  std::string id;
  std::string dt;
  std::string ar;
  bool operator==(const Item&) const = default;
};

struct BrowseResult {
  std::string error;
  std::vector<Item> items;
};

inline BrowseResult Parse(const std::string& text) {
  BrowseResult result;
  MarkupDocument document(MarkupBuild::kBridge);
  EXPECT_TRUE(document.SetText(text)) << text.substr(0, 200);
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"GBK\"?> \r\n", 0), 0u);
  EXPECT_TRUE(document.FindElement("root"));
  EXPECT_EQ(document.GetAttribute("ver"), "0");
  document.EnterElement();
  EXPECT_TRUE(document.FindElement("t"));
  result.error = document.GetAttribute("error");
  document.EnterElement();
  while (document.FindElement("it")) {
    result.items.push_back(
        {document.GetAttribute("id"), document.GetAttribute("dt"), document.GetAttribute("ar")});
  }
  return result;
}

inline std::vector<std::string> Ids(const BrowseResult& result) {
  std::vector<std::string> ids;
  for (const Item& item : result.items) ids.push_back(item.id);
  return ids;
}

// The ids of every branch's items, each branch before its sub-branches, without the items of
// the top level itself: the order the tree walk must produce.
inline void CollectTreeOrder(const opcsim::ItemCatalogue& catalogue, std::size_t branch,
                             std::vector<std::string>& ids) {
  if (branch != opcsim::ItemCatalogue::kRoot) {
    for (std::size_t item : catalogue.Branch(branch).items) {
      ids.push_back(WideToAnsi(catalogue.Item(item).itemId));
    }
  }
  for (std::size_t sub : catalogue.Branch(branch).branches) CollectTreeOrder(catalogue, sub, ids);
}

class BrowseServerTagsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!engine_test::SimulatedServersOutOfProcess()) opcsim::RegisterSimulatedServers();
    opcsim::SimulationSettings settings;
    settings.bulkItemCount = kBulkItems;
    const ComApartment apartment;  // the control is a COM object
    for (const CLSID& clsid :
         {opcsim::CLSID_OPCSimTree, opcsim::CLSID_OPCSimFlat, opcsim::CLSID_OPCSimLegacy}) {
      opcsim::SimulatedDeviceControl(clsid).Reset(settings);
    }
  }

  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    ASSERT_FALSE(directory_.Path().empty());
    std::filesystem::create_directory(directory_ / "log");
    objectsBefore_ = ComObjectsAlive();
    taskBlocksBefore_ = TaskMemoryBlocksInUse();
  }
  void TearDown() override {
    // The browse connection is torn down on every path: nothing it made stays alive.
    EXPECT_EQ(ComObjectsAlive(), objectsBefore_);
    EXPECT_EQ(TaskMemoryBlocksInUse(), taskBlocksBefore_);
    CoUninitialize();
  }

  std::string Browse(std::string_view sid, std::string_view clsid, bool forceFlat = false) {
    return BrowseServerTags(log_, sid, clsid, forceFlat, [this] { ++settles_; });
  }

  // The daily log's lines, without their time stamps' influence: the whole text of every
  // dated log file.
  std::string DailyLogText() const {
    std::string text;
    for (const auto& file : std::filesystem::directory_iterator(directory_ / "log")) {
      const std::string name = file.path().filename().string();
      if (name.size() == 12 && std::all_of(name.begin(), name.begin() + 8, ::isdigit)) {
        text += ReadTestFile(file.path().string());
      }
    }
    return text;
  }
  std::string SidFile(const std::string& sid) const {
    return ReadTestFile(directory_ / ("log/" + sid + ".txt"));
  }
  static std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
  }

  TestDirectory directory_;
  BridgeLog log_{directory_.Path()};
  int settles_ = 0;
  std::size_t objectsBefore_ = 0;
  std::size_t taskBlocksBefore_ = 0;
};

}  // namespace tavrel::browse_test
