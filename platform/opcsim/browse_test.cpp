#include <gtest/gtest.h>

#include "platform/opcsim/address_space_browser.h"
#include "platform/opcsim/test_client.h"

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
  static std::vector<std::u16string> Browse(IOPCBrowseServerAddressSpace* browser,
                                            OPCBROWSETYPE type, const char16_t* filter = u"*",
                                            VARTYPE dataType = VT_EMPTY, DWORD rights = 0,
                                            HRESULT* result = nullptr) {
    ComPtr<IEnumString> strings;
    const HRESULT hr =
        browser->BrowseOPCItemIDs(type, filter, dataType, rights, strings.ReleaseAndGetAddressOf());
    if (result != nullptr) *result = hr;
    std::vector<std::u16string> names;
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
    while (SUCCEEDED(browser->ChangeBrowsePosition(OPC_BROWSE_UP, u""))) ASSERT_LT(++climbs, 10);
  }

  // The tree walk of the clients: leaves of a branch (through GetItemID), then its
  // sub-branches, depth first.
  void Walk(std::vector<std::u16string>* ids) {
    for (const std::u16string& branch : Browse(browser_.Get(), OPC_BRANCH)) {
      ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_DOWN, branch.c_str()), S_OK);
      HRESULT hr;
      for (std::u16string& leaf : Browse(browser_.Get(), OPC_LEAF, u"*", VT_EMPTY, 0, &hr)) {
        LPWSTR id = nullptr;
        ASSERT_EQ(browser_->GetItemID(leaf.data(), &id), S_OK);
        ids->emplace_back(id);
        CoTaskMemFree(id);
      }
      Walk(ids);
      ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_UP, u""), S_OK);
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
  EXPECT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_UP, u""), E_FAIL) << "already at the top";
  EXPECT_EQ(
      Browse(browser_.Get(), OPC_BRANCH),
      (std::vector<std::u16string>{u"Random", u"Ramp", u"Sine", u"Square", u"Echo", u"WriteOnly",
                                   u"ReadError", u"WriteError", u"Quality", u"Bulk", u"中文"}));
  std::vector<std::u16string> walked;
  Walk(&walked);
  const std::vector<std::u16string> flat = Browse(browser_.Get(), OPC_FLAT);
  EXPECT_EQ(flat.size(), tree_->Catalogue().ItemCount());
  // The flat list starts with the items at the top, which the tree walk does not visit.
  const std::vector<std::u16string> top = Browse(browser_.Get(), OPC_LEAF);
  EXPECT_EQ(top, (std::vector<std::u16string>{u"Heartbeat", u"Counter", u"Version"}));
  std::vector<std::u16string> expected = top;
  expected.insert(expected.end(), walked.begin(), walked.end());
  EXPECT_EQ(flat, expected);
  EXPECT_EQ(TaskMemoryBlocksInUse(), blocksBefore) << "every string was handed over";
}

TEST_F(Browsing, EmptyAnswersAreSFalseWithAnEmptyEnumerator) {
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_DOWN, u"中文"), S_OK);
  HRESULT hr;
  EXPECT_TRUE(Browse(browser_.Get(), OPC_LEAF, u"*", VT_EMPTY, 0, &hr).empty());
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(Browse(browser_.Get(), OPC_BRANCH, u"*", VT_EMPTY, 0, &hr),
            std::vector<std::u16string>{u"设备一"});
  EXPECT_EQ(hr, S_OK);
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_DOWN, u"设备一"), S_OK);
  EXPECT_TRUE(Browse(browser_.Get(), OPC_BRANCH, u"*", VT_EMPTY, 0, &hr).empty());
  EXPECT_EQ(hr, S_FALSE);
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, u"*", VT_EMPTY, 0, &hr),
            (std::vector<std::u16string>{u"温度", u"压力", u"状态", u"名称"}));
  EXPECT_EQ(hr, S_OK);
  Browse(browser_.Get(), static_cast<OPCBROWSETYPE>(7), u"*", VT_EMPTY, 0, &hr);
  EXPECT_EQ(hr, E_INVALIDARG);
}

TEST_F(Browsing, NameTypeAndRightsFiltersSelectLeaves) {
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_TO, u"Random"), S_OK);
  using Names = std::vector<std::u16string>;
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, u"Int?"), (Names{u"Int1", u"Int2", u"Int4"}));
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, u"*Of*"), (Names{u"ArrayOfReal8", u"ArrayOfString"}));
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, u"U*4"), (Names{u"UInt4"}));
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, u"").size(), 13u);
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, u"*", VT_ARRAY | VT_BSTR), (Names{u"ArrayOfString"}));
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, u"*", VT_R8).size(), 11u) << "every scalar converts";
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_TO, u"WriteError"), S_OK);
  EXPECT_EQ(Browse(browser_.Get(), OPC_LEAF, u"*", VT_EMPTY, OPC_WRITEABLE),
            (Names{u"Fail", u"AccessDenied", u"OutOfRange"}));
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_TO, u""), S_OK);
  EXPECT_EQ(Browse(browser_.Get(), OPC_FLAT, u"Echo.*Array*"),
            (Names{u"Echo.ArrayOfReal8", u"Echo.ArrayOfString"}));
}

TEST_F(Browsing, PositionsAndItemIdsFollowThePath) {
  EXPECT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_DOWN, u"Nowhere"), E_INVALIDARG);
  EXPECT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_TO, u"中文.Nowhere"), E_INVALIDARG);
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_TO, u"中文.设备一"), S_OK);
  const auto itemId = [&](const char16_t* name, HRESULT expected) {
    std::u16string copy = name;
    LPWSTR id = nullptr;
    EXPECT_EQ(browser_->GetItemID(copy.data(), &id), expected);
    std::u16string result = id != nullptr ? id : u"";
    CoTaskMemFree(id);
    return result;
  };
  EXPECT_EQ(itemId(u"温度", S_OK), u"中文.设备一.温度");
  EXPECT_EQ(itemId(u"", S_OK), u"中文.设备一");
  EXPECT_EQ(itemId(u"Int1", E_INVALIDARG), u"");
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_UP, u""), S_OK);
  EXPECT_EQ(itemId(u"设备一", S_OK), u"中文.设备一");
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_UP, u""), S_OK);
  EXPECT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_UP, u""), E_FAIL);
  EXPECT_EQ(itemId(u"Counter", S_OK), u"Counter");
}

TEST_F(Browsing, BrowsePositionsBelongToEachConnection) {
  ComPtr<IOPCBrowseServerAddressSpace> other;
  ASSERT_EQ(tree_->Connect(IID_IOPCBrowseServerAddressSpace, other.ReleaseAndGetVoidAddressOf()),
            S_OK);
  ASSERT_EQ(browser_->ChangeBrowsePosition(OPC_BROWSE_DOWN, u"Echo"), S_OK);
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
  EXPECT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_UP, u""), E_FAIL);
  EXPECT_EQ(browser->ChangeBrowsePosition(OPC_BROWSE_DOWN, u"Random"), E_FAIL);
  HRESULT hr;
  EXPECT_TRUE(Browse(browser.Get(), OPC_BRANCH, u"*", VT_EMPTY, 0, &hr).empty());
  EXPECT_EQ(hr, S_FALSE);
  const auto ids = Browse(browser.Get(), OPC_FLAT);
  EXPECT_EQ(ids, Browse(browser_.Get(), OPC_FLAT));
  EXPECT_EQ(Browse(browser.Get(), OPC_LEAF), ids);
  EXPECT_EQ(Browse(browser.Get(), OPC_FLAT, u"Sine.Int?").size(), 3u);
  std::u16string known = u"Sine.Real4";
  LPWSTR id = nullptr;
  ASSERT_EQ(browser->GetItemID(known.data(), &id), S_OK);
  EXPECT_EQ(std::u16string(id), known);
  CoTaskMemFree(id);
}

TEST(Wildcards, MatchStarsAndQuestionMarks) {
  EXPECT_TRUE(MatchesFilter(u"", u""));
  EXPECT_TRUE(MatchesFilter(u"abc", u""));
  EXPECT_TRUE(MatchesFilter(u"abc", u"*"));
  EXPECT_TRUE(MatchesFilter(u"abc", u"a*c"));
  EXPECT_TRUE(MatchesFilter(u"abcbc", u"*bc"));
  EXPECT_TRUE(MatchesFilter(u"a.b.c", u"a*b*"));
  EXPECT_FALSE(MatchesFilter(u"abc", u"a?"));
  EXPECT_FALSE(MatchesFilter(u"abc", u"*d"));
  EXPECT_FALSE(MatchesFilter(u"", u"?"));
  EXPECT_TRUE(MatchesFilter(u"温度", u"?度"));
}

}  // namespace
