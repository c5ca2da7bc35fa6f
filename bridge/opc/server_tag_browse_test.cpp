#include "bridge/opc/server_tag_browse.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/code_page.h"
#include "common/markup_document.h"
#include "common/test_files.h"
#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/com/com.h"
#include "platform/com/com_apartment.h"
#include "platform/com/guid_text.h"
#include "platform/com/linux/class_registry.h"
#include "platform/opcda/opc_server_list.h"
#include "platform/opcda/opcda.h"
#include "platform/opcsim/simulated_address_space.h"
#include "platform/opcsim/simulated_device_control.h"
#include "platform/opcsim/simulated_servers.h"

namespace tavrel {

namespace {

// More names than one enumeration call returns (100), and not a multiple of it: the walks must
// read every batch and the short last one.
constexpr std::size_t kBulkItems = 250;
constexpr char kTreeClsid[] = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A01}";
constexpr char kFlatClsid[] = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A02}";
constexpr char kLegacyClsid[] = "{6F0C2A1E-4B7D-4C55-9E2A-3D1B7C5E8A03}";
constexpr CLSID kNoBrowseClsid = {
    0x0B0B0B0B, 0x1234, 0x4321, {0xA0, 0xB1, 0xC2, 0xD3, 0xE4, 0xF5, 0x06, 0x17}};

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

BrowseResult Parse(const std::string& text) {
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

std::vector<std::string> Ids(const BrowseResult& result) {
  std::vector<std::string> ids;
  for (const Item& item : result.items) ids.push_back(item.id);
  return ids;
}

// The ids of every branch's items, each branch before its sub-branches, without the items of
// the top level itself: the order the tree walk must produce.
void CollectTreeOrder(const opcsim::ItemCatalogue& catalogue, std::size_t branch,
                      std::vector<std::string>& ids) {
  if (branch != opcsim::ItemCatalogue::kRoot) {
    for (std::size_t item : catalogue.Branch(branch).items) {
      ids.push_back(WideToAnsi(catalogue.Item(item).itemId));
    }
  }
  for (std::size_t sub : catalogue.Branch(branch).branches) CollectTreeOrder(catalogue, sub, ids);
}

// A server that answers IOPCServer only, in front of a simulated one: no browsing.
class ServerWithoutBrowsing final : public ComObject<IOPCServer> {
 public:
  explicit ServerWithoutBrowsing(ComPtr<IOPCServer> inner) : inner_(std::move(inner)) {}
  STDMETHODIMP AddGroup(LPCWSTR name, BOOL active, DWORD rate, OPCHANDLE client, LONG* bias,
                        FLOAT* deadband, DWORD lcid, OPCHANDLE* server, DWORD* revised, REFIID iid,
                        LPUNKNOWN* group) override {
    return inner_->AddGroup(name, active, rate, client, bias, deadband, lcid, server, revised, iid,
                            group);
  }
  STDMETHODIMP GetErrorString(HRESULT error, LCID locale, LPWSTR* text) override {
    return inner_->GetErrorString(error, locale, text);
  }
  STDMETHODIMP GetGroupByName(LPCWSTR name, REFIID iid, LPUNKNOWN* group) override {
    return inner_->GetGroupByName(name, iid, group);
  }
  STDMETHODIMP GetStatus(OPCSERVERSTATUS** status) override { return inner_->GetStatus(status); }
  STDMETHODIMP RemoveGroup(OPCHANDLE group, BOOL force) override {
    ++removedGroups;
    return inner_->RemoveGroup(group, force);
  }
  STDMETHODIMP CreateGroupEnumerator(OPCENUMSCOPE scope, REFIID iid, LPUNKNOWN* out) override {
    return inner_->CreateGroupEnumerator(scope, iid, out);
  }
  static inline int removedGroups = 0;

 private:
  ComPtr<IOPCServer> inner_;
};

class BrowseServerTagsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterOpcCoreClasses();
    opcsim::RegisterSimulatedServers();
    opcsim::SimulationSettings settings;
    settings.bulkItemCount = kBulkItems;
    {
      const ComApartment apartment;  // the control is a COM object
      for (const CLSID& clsid :
           {opcsim::CLSID_OPCSimTree, opcsim::CLSID_OPCSimFlat, opcsim::CLSID_OPCSimLegacy}) {
        opcsim::SimulatedDeviceControl(clsid).Reset(settings);
      }
    }
    ClassDescriptor noBrowse;
    noBrowse.progId = "Test.NoBrowse.1";
    noBrowse.clsid = kNoBrowseClsid;
    noBrowse.description = "server without browsing";
    RegisterBuiltInClass(noBrowse, [](const ActivationRequest&, REFIID iid, void** object) {
      ComPtr<IOPCServer> inner;
      const HRESULT connected = opcsim::SimulatedDeviceFor(opcsim::CLSID_OPCSimTree)
                                    ->Connect(IID_IOPCServer, inner.ReleaseAndGetVoidAddressOf());
      if (FAILED(connected)) return connected;
      return MakeComObject<ServerWithoutBrowsing>(std::move(inner))->QueryInterface(iid, object);
    });
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

TEST_F(BrowseServerTagsTest, ServerWithoutBrowsingIsReportedAndItsGroupRemoved) {
  ServerWithoutBrowsing::removedGroups = 0;
  const BrowseResult result = Parse(Browse("NB", GuidToString(kNoBrowseClsid)));
  EXPECT_EQ(result.error, "Server[NB] 不支持数据浏览");
  EXPECT_TRUE(result.items.empty());
  EXPECT_EQ(ServerWithoutBrowsing::removedGroups, 1);
  EXPECT_EQ(DailyLogText().find("遍历结束"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(directory_ / "log/NB.txt"));
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

}  // namespace tavrel
