#include "bridge/opc/server_tag_browse.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "bridge/opc/server_tag_browse_test_support.h"

namespace tavrel::browse_test {

namespace {

TEST_F(BrowseServerTagsTest, ClsidThatIsNoGuidTextFailsWithOnlyTheStartLogged) {
  for (const char* clsid : {"", "OPCSim.Tree.1", "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01"}) {
    const BrowseResult result = Parse(Browse("S1", clsid));
    EXPECT_EQ(result.error, "获取Server[S1] 点表失败");
    EXPECT_TRUE(result.items.empty());
  }
  const std::string log = DailyLogText();
  EXPECT_EQ(Count(log, "开始遍历SERVER TAG"), 3u);
  EXPECT_EQ(Count(log, "\n"), 3u) << log;
  EXPECT_FALSE(std::filesystem::exists(directory_ / "log/S1.txt"));
  EXPECT_EQ(settles_, 0);
}

TEST_F(BrowseServerTagsTest, ServerThatCannotBeOpenedIsLoggedWithTheCause) {
  EXPECT_EQ(Parse(Browse("S2", "{01234567-89AB-CDEF-0123-456789ABCDEF}")).error,
            "获取Server[S2] 点表失败");
  EXPECT_NE(DailyLogText().find(
                "CoCreateInstance:Error connecting to OPC server {01234567-89AB-CDEF-0123-"
                "456789ABCDEF} "),
            std::string::npos);

  opcsim::SimulatedDeviceControl(opcsim::CLSID_OPCSimTree).RefuseAddGroup(E_OUTOFMEMORY);
  const BrowseResult refused = Parse(Browse("S2", kTreeClsid));
  opcsim::SimulatedDeviceControl(opcsim::CLSID_OPCSimTree).AcceptAddGroup();
  EXPECT_EQ(refused.error, "获取Server[S2] 点表失败");
  EXPECT_NE(DailyLogText().find("AddGroup node: "), std::string::npos);
  EXPECT_EQ(DailyLogText().find("遍历结束"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(directory_ / "log/S2.txt"));
  EXPECT_EQ(settles_, 2);  // the server reached is released with the pauses of a teardown
}

TEST_F(BrowseServerTagsTest, TreeWalkListsBranchesDepthFirstWithoutTopLevelItems) {
  const BrowseResult result = Parse(Browse("T", kTreeClsid));
  EXPECT_TRUE(result.error.empty());
  std::vector<std::string> expected;
  CollectTreeOrder(opcsim::BuildSimulatedAddressSpace(kBulkItems), opcsim::ItemCatalogue::kRoot,
                   expected);
  EXPECT_EQ(Ids(result), expected);
  for (const char* topLevel : {"Heartbeat", "Counter", "Version"}) {
    EXPECT_EQ(std::count(expected.begin(), expected.end(), topLevel), 0) << topLevel;
  }
  const auto item = [&](const std::string& id) {
    const auto found = std::find_if(result.items.begin(), result.items.end(),
                                    [&](const Item& i) { return i.id == id; });
    return found == result.items.end() ? Item{} : *found;
  };
  EXPECT_EQ(item("Random.Int1"), (Item{"Random.Int1", "16", "1"}));
  EXPECT_EQ(item("Echo.Real8"), (Item{"Echo.Real8", "5", "3"}));
  EXPECT_EQ(item("WriteOnly.String"), (Item{"WriteOnly.String", "8", "2"}));
  EXPECT_EQ(item("中文.设备一.温度").id, "中文.设备一.温度");
  EXPECT_EQ(item("Random.ArrayOfReal8").dt, std::to_string(VT_ARRAY | VT_R8));

  const std::string log = DailyLogText();
  EXPECT_LT(log.find("开始遍历SERVER TAG"), log.find("遍历结束"));
  EXPECT_EQ(settles_, 2);
}

TEST_F(BrowseServerTagsTest, FlatSpaceAndForcedFlatWalkListEveryItemOnce) {
  const opcsim::ItemCatalogue catalogue = opcsim::BuildSimulatedAddressSpace(kBulkItems);
  std::vector<std::string> every;
  for (std::size_t i = 0; i < catalogue.ItemCount(); ++i) {
    every.push_back(WideToAnsi(catalogue.Item(i).itemId));
  }
  std::sort(every.begin(), every.end());
  for (const auto& [clsid, forceFlat] :
       {std::pair{kFlatClsid, false}, std::pair{kTreeClsid, true}}) {
    std::vector<std::string> ids = Ids(Parse(Browse("F", clsid, forceFlat)));
    EXPECT_NE(std::find(ids.begin(), ids.end(), "Heartbeat"), ids.end());
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, every) << clsid;
  }
}

TEST_F(BrowseServerTagsTest, ItemThatCannotBeAddedGetsZeroTypeAndRights) {
  opcsim::SimulatedDeviceControl faults(opcsim::CLSID_OPCSimFlat);
  faults.RejectItemIds({OLESTR("Sine.Int2"), OLESTR("中文.设备一.压力")});
  const BrowseResult result = Parse(Browse("R", kFlatClsid));
  faults.RejectItemIds({});
  int rejected = 0;
  for (const Item& item : result.items) {
    if (item.id == "Sine.Int2" || item.id == "中文.设备一.压力") {
      EXPECT_EQ(item, (Item{item.id, "0", "0"}));
      ++rejected;
    } else {
      EXPECT_NE(item.dt, "0") << item.id;
    }
  }
  EXPECT_EQ(rejected, 2);
}

TEST_F(BrowseServerTagsTest, DaOneServerIsBrowsedWithoutItsMissingCallbackPoints) {
  const BrowseResult result = Parse(Browse("L", kLegacyClsid));
  EXPECT_TRUE(result.error.empty());
  ASSERT_FALSE(result.items.empty());
  EXPECT_EQ(result.items.front(), (Item{"Random.Int1", "16", "1"}));
}

TEST_F(BrowseServerTagsTest, EveryCompletedWalkIsAppendedToTheServersFile) {
  const std::string first = Browse("OPCSim.Flat.1", kFlatClsid);
  const std::string second = Browse("OPCSim.Flat.1", kFlatClsid, true);
  EXPECT_EQ(SidFile("OPCSim.Flat.1"), first + second);
  EXPECT_EQ(Count(DailyLogText(), "遍历结束"), 2u);

  // A name from a peer that names no server registered here, or is not a plain file name, is
  // no file: nothing is written, though the walk is answered.
  for (const std::string sid : {"../escape", "Anything.At.All"}) {
    EXPECT_FALSE(Parse(Browse(sid, kFlatClsid)).items.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(directory_ / "escape.txt"));
  EXPECT_FALSE(std::filesystem::exists(directory_ / "log/Anything.At.All.txt"));
}

}  // namespace

}  // namespace tavrel::browse_test
