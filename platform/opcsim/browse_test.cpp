#include <gtest/gtest.h>

#include "common/wide_string.h"
#include "platform/com/allocation_counts.h"
#include "platform/opcsim/address_space_browser.h"
#include "platform/opcsim/test_client.h"

namespace tavrel::opcsim {

namespace {

class Browsing : public SimulatedServerTest {
 protected:
  void SetUp() override {
    SimulatedServerTest::SetUp();
    tree_ = SimulatedDevice::Create(ServerProfile::kTree, FastSettings());
    ASSERT_EQ(
        tree_->Connect(IID_IOPCBrowseServerAddressSpace, browser_.ReleaseAndGetVoidAddressOf()),
        S_OK);
  }

  // The strings of a browse, read 100 at a time as the clients do; `*result` gets its HRESULT.
  static std::vector<WideString> Browse(IOPCBrowseServerAddressSpace* browser, OPCBROWSETYPE type,
                                        const WCHAR* filter = OLESTR("*"),
                                        VARTYPE dataType = VT_EMPTY, DWORD rights = 0,
                                        HRESULT* result = nullptr) {
    ComPtr<IEnumString> strings;
    const HRESULT hr =
        browser->BrowseOPCItemIDs(type, filter, dataType, rights, strings.ReleaseAndGetAddressOf());
    if (result != nullptr) *result = hr;
    std::vector<WideString> names;
    if (FAILED(hr)) return names;
    EXPECT_TRUE(strings) << "an enumerator also for an empty answer";
    LPOLESTR batch[100];
    ULONG fetched = 0;
    HRESULT next;
    do {
      next = strings->Next(100, batch, &fetched);
      for (ULONG i = 0; i < fetched; ++i) {
        names.emplace_back(batch[i]);
        CoTaskMemFree(batch[i]);
      }
    } while (next == S_OK);
    return names;
  }

  static void GoToTop(IOPCBrowseServerAddressSpace* browser) {
    int climbs = 0;
    while (SUCCEEDED(browser->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")))) {
      ASSERT_LT(++climbs, 10);
    }
  }

  // The tree walk of the clients: leaves of a branch (through GetItemID), then its
  // sub-branches, depth first.
  void Walk(std::vector<WideString>* ids) {
    for (const WideString& branch : Browse(browser_.Get(), OPC_BRANCH)) {
      ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_DOWN, branch.c_str()), S_OK);
      HRESULT hr;
      for (WideString& leaf : Browse(browser_.Get(), OPC_LEAF, OLESTR("*"), VT_EMPTY, 0, &hr)) {
        LPWSTR id = nullptr;
        ASSERT_EQ(browser_->GetItemID(leaf.data(), &id), S_OK);
        ids->emplace_back(id);
        CoTaskMemFree(id);
      }
      Walk(ids);
      ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")), S_OK);
    }
  }

  std::shared_ptr<SimulatedDevice> tree_;
  ComPtr<IOPCBrowseServerAddressSpace> browser_;
};

TEST_F(Browsing, TreeWalkReachesEveryItemInTheOrderOfTheFlatList) {
  const std::size_t blocksBefore = TaskMemoryBlocksInUse();
  OPCNAMESPACETYPE organization;
  ASSERT_EQ(browser_->QueryOrganization(&organization), S_OK);
  EXPECT_EQ(organization, OPC_NS_HIERARCHIAL);
  EXPECT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")), E_FAIL)
      << "already at the top";
  EXPECT_EQ(Browse(browser_.Get(), OPC_BRANCH),
            (std::vector<WideString>{OLESTR("Random"), OLESTR("Ramp"), OLESTR("Sine"),
                                     OLESTR("Square"), OLESTR("Echo"), OLESTR("WriteOnly"),
                                     OLESTR("ReadError"), OLESTR("WriteError"), OLESTR("Quality"),
                                     OLESTR("Bulk"), OLESTR("中文")}));
  std::vector<WideString> walked;
  Walk(&walked);
  const std::vector<WideString> flat = Browse(browser_.Get(), OPC_FLAT);
  EXPECT_EQ(flat.size(), tree_->Catalogue().ItemCount());
  // The flat list starts with the items at the top, which the tree walk does not visit.
  const std::vector<WideString> top = Browse(browser_.Get(), OPC_LEAF);
  EXPECT_EQ(top,
            (std::vector<WideString>{OLESTR("Heartbeat"), OLESTR("Counter"), OLESTR("Version")}));
  std::vector<WideString> expected = top;
  expected.insert(expected.end(), walked.begin(), walked.end());
  EXPECT_EQ(flat, expected);
  EXPECT_EQ(TaskMemoryBlocksInUse(), blocksBefore) << "every string was handed over";
}

TEST_F(Browsing, EmptyAnswersAreSFalseWithAnEmptyEnumerator) {
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("中文")), S_OK);
  HRESULT hr;
  EXPECT_TRUE(Browse(browser_.Get(), OPC_LEAF, OLESTR("*"), VT_EMPTY, 0, &hr).empty());
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(Browse(browser_.Get(), OPC_BRANCH, OLESTR("*"), VT_EMPTY, 0, &hr),
            std::vector<WideString>{OLESTR("设备一")});
  EXPECT_EQ(hr, S_OK);
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("设备一")), S_OK);
  EXPECT_TRUE(Browse(browser_.Get(), OPC_BRANCH, OLESTR("*"), VT_EMPTY, 0, &hr).empty());
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(
      Browse(browser_.Get(), OPC_LEAF, OLESTR("*"), VT_EMPTY, 0, &hr),
      (std::vector<WideString>{OLESTR("温度"), OLESTR("压力"), OLESTR("状态"), OLESTR("名称")}));
  EXPECT_EQ(hr, S_OK);
  Browse(browser_.Get(), static_cast<OPCBROWSETYPE>(7), OLESTR("*"), VT_EMPTY, 0, &hr);
  EXPECT_EQ(hr, E_INVALIDARG);
}

TEST_F(Browsing, NameTypeAndRightsFiltersSelectLeaves) {
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("Random")), S_OK);
  using Names = std::vector<WideString>;
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, OLESTR("Int?")),
            (Names{OLESTR("Int1"), OLESTR("Int2"), OLESTR("Int4")}));
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, OLESTR("*Of*")),
            (Names{OLESTR("ArrayOfReal8"), OLESTR("ArrayOfString")}));
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, OLESTR("U*4")), (Names{OLESTR("UInt4")}));
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, OLESTR("")).size(), 13u);
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, OLESTR("*"), VT_ARRAY | VT_BSTR),
            (Names{OLESTR("ArrayOfString")}));
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, OLESTR("*"), VT_R8).size(), 11u)
      << "every scalar converts";
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("WriteError")), S_OK);
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, OLESTR("*"), VT_EMPTY, OPC_WRITEABLE),
            (Names{OLESTR("Fail"), OLESTR("AccessDenied"), OLESTR("OutOfRange")}));
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("")), S_OK);
  EXPECT_EQ(Browse(browser_.Get(), OPC_FLAT, OLESTR("Echo.*Array*")),
            (Names{OLESTR("Echo.ArrayOfReal8"), OLESTR("Echo.ArrayOfString")}));
}

TEST_F(Browsing, PositionsAndItemIdsFollowThePath) {
  EXPECT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Nowhere")), E_INVALIDARG);
  EXPECT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("中文.Nowhere")), E_INVALIDARG);
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_TO, OLESTR("中文.设备一")), S_OK);
  const auto itemId = [&](const WCHAR* name, HRESULT expected) {
    WideString copy = name;
    LPWSTR id = nullptr;
    EXPECT_EQ(browser_->GetItemID(copy.data(), &id), expected);
    WideString result = id != nullptr ? id : OLESTR("");
    CoTaskMemFree(id);
    return result;
  };
  EXPECT_EQ(itemId(OLESTR("温度"), S_OK), OLESTR("中文.设备一.温度"));
  EXPECT_EQ(itemId(OLESTR(""), S_OK), OLESTR("中文.设备一"));
  EXPECT_EQ(itemId(OLESTR("Int1"), E_INVALIDARG), OLESTR(""));
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")), S_OK);
  EXPECT_EQ(itemId(OLESTR("设备一"), S_OK), OLESTR("中文.设备一"));
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")), S_OK);
  EXPECT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")), E_FAIL);
  EXPECT_EQ(itemId(OLESTR("Counter"), S_OK), OLESTR("Counter"));
}

TEST_F(Browsing, BrowsePositionsBelongToEachConnection) {
  ComPtr<IOPCBrowseServerAddressSpace> other;
  ASSERT_EQ(tree_->Connect(IID_IOPCBrowseServerAddressSpace, other.ReleaseAndGetVoidAddressOf()),
            S_OK);
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Echo")), S_OK);
  EXPECT_EQ(Browse(other.Get(), OPC_BRANCH).size(), 11u);
}

TEST_F(Browsing, FlatServerListsEveryIdAndHasNoBranches) {
  auto flat = SimulatedDevice::Create(ServerProfile::kFlat, FastSettings());
  ComPtr<IOPCBrowseServerAddressSpace> browser;
  ASSERT_EQ(flat->Connect(IID_IOPCBrowseServerAddressSpace, browser.ReleaseAndGetVoidAddressOf()),
            S_OK);
  OPCNAMESPACETYPE organization;
  ASSERT_EQ(browser->QueryOrganization(&organization), S_OK);
  EXPECT_EQ(organization, OPC_NS_FLAT);
  EXPECT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")), E_FAIL);
  EXPECT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_DOWN, OLESTR("Random")), E_FAIL);
  HRESULT hr;
  EXPECT_TRUE(Browse(browser.Get(), OPC_BRANCH, OLESTR("*"), VT_EMPTY, 0, &hr).empty());
  EXPECT_EQ(hr, S_FALSE);
  const auto ids = Browse(browser.Get(), OPC_FLAT);
  EXPECT_EQ(ids, Browse(browser_.Get(), OPC_FLAT));
  EXPECT_EQ(Browse(browser.Get(), OPC_LEAF), ids);
  EXPECT_EQ(Browse(browser.Get(), OPC_FLAT, OLESTR("Sine.Int?")).size(), 3u);
  WideString known = OLESTR("Sine.Real4");
  LPWSTR id = nullptr;
  ASSERT_EQ(browser->GetItemID(known.data(), &id), S_OK);
  EXPECT_EQ(WideString(id), known);
  CoTaskMemFree(id);
}

TEST(Wildcards, MatchStarsAndQuestionMarks) {
  EXPECT_TRUE(MatchesFilter(OLESTR(""), OLESTR("")));
  EXPECT_TRUE(MatchesFilter(OLESTR("abc"), OLESTR("")));
  EXPECT_TRUE(MatchesFilter(OLESTR("abc"), OLESTR("*")));
  EXPECT_TRUE(MatchesFilter(OLESTR("abc"), OLESTR("a*c")));
  EXPECT_TRUE(MatchesFilter(OLESTR("abcbc"), OLESTR("*bc")));
  EXPECT_TRUE(MatchesFilter(OLESTR("a.b.c"), OLESTR("a*b*")));
  EXPECT_FALSE(MatchesFilter(OLESTR("abc"), OLESTR("a?")));
  EXPECT_FALSE(MatchesFilter(OLESTR("abc"), OLESTR("*d")));
  EXPECT_FALSE(MatchesFilter(OLESTR(""), OLESTR("?")));
  EXPECT_TRUE(MatchesFilter(OLESTR("温度"), OLESTR("?度")));
}

}  // namespace

}  // namespace tavrel::opcsim
