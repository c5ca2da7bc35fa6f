// A server's address space is walked with bounds: answers that never end do not hold the
// walk, and what it wrote stays a well-formed document.
#include "bridge/opc/address_space_walk.h"

#include <gtest/gtest.h>

#include "bridge/opc/body_document.h"
#include "platform/com/com_api.h"
#include "platform/com/com_object.h"
#include "platform/com/enumerators.h"
#include "platform/com/task_memory_ptr.h"

namespace tavrel {

namespace {

// An enumerator that answers S_OK without a name, for ever.
class SilentStrings final : public ComObject<IEnumString> {
 public:
  STDMETHODIMP Next(ULONG /*count*/, LPOLESTR* /*elements*/, ULONG* fetched) override {
    *fetched = 0;
    return S_OK;
  }
  STDMETHODIMP Skip(ULONG /*count*/) override { return S_OK; }
  STDMETHODIMP Reset() override { return S_OK; }
  STDMETHODIMP Clone(IEnumString** /*clone*/) override { return E_NOTIMPL; }
};

// A space in which every step succeeds and every branch holds itself and one leaf, or whose
// listings are all silent.
class EndlessSpace final : public ComObject<IOPCBrowseServerAddressSpace> {
 public:
  explicit EndlessSpace(bool silent) : silent_(silent) {}

  STDMETHODIMP QueryOrganization(OPCNAMESPACETYPE* type) override {
    *type = OPC_NS_HIERARCHIAL;
    return S_OK;
  }
  STDMETHODIMP ChangeBrowsePosition(OPCBROWSEDIRECTION /*direction*/, LPCWSTR /*name*/) override {
    return S_OK;
  }
  STDMETHODIMP BrowseOPCItemIDs(OPCBROWSETYPE type, LPCWSTR /*filter*/, VARTYPE /*dataType*/,
                                DWORD /*rights*/, LPENUMSTRING* strings) override {
    *strings =
        silent_
            ? MakeComObject<SilentStrings>().Detach()
            : CreateStringEnumerator({type == OPC_LEAF ? OLESTR("x") : OLESTR("Loop")}).Detach();
    return S_OK;
  }
  STDMETHODIMP GetItemID(LPWSTR leaf, LPWSTR* itemId) override {
    *itemId = TaskMemStringDuplicate(leaf);
    return S_OK;
  }
  STDMETHODIMP BrowseAccessPaths(LPCWSTR /*itemId*/, LPENUMSTRING* /*paths*/) override {
    return E_NOTIMPL;
  }

 private:
  const bool silent_;
};

// The number of `it` elements of a walk's well-formed document.
std::size_t WalkedItems(bool silent, bool flat) {
  const ComPtr<EndlessSpace> space = MakeComObject<EndlessSpace>(silent);
  MarkupDocument document = NewBodyDocument();
  document.AddElement("t");
  document.EnterElement();
  AddressSpaceWalk walk(*space.Get(), nullptr, document);
  flat ? walk.WalkFlat() : walk.WalkTree();
  MarkupDocument written(MarkupBuild::kBridge);
  EXPECT_TRUE(written.SetText(document.GetText()));
  written.FindElement("root");
  written.EnterElement();
  written.FindElement("t");
  written.EnterElement();
  std::size_t items = 0;
  while (written.FindElement("it")) ++items;
  return items;
}

TEST(AddressSpaceWalk, ABranchThatHoldsItselfIsWalkedOnlyToTheDepthBound) {
  // One leaf per level, from the top-level branch down to the deepest one walked.
  EXPECT_EQ(WalkedItems(/*silent=*/false, /*flat=*/false), AddressSpaceWalk::kMaxBranchDepth);
}

TEST(AddressSpaceWalk, ListingsThatAnswerWithoutNamesEnd) {
  EXPECT_EQ(WalkedItems(/*silent=*/true, /*flat=*/false), 0u);
  EXPECT_EQ(WalkedItems(/*silent=*/true, /*flat=*/true), 0u);
}

}  // namespace

}  // namespace tavrel
