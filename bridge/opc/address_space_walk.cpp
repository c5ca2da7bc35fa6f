#include "bridge/opc/address_space_walk.h"

#include <array>
#include <functional>

#include "common/code_page.h"
#include "opcclient/opc_result_owners.h"
#include "platform/com/task_memory_ptr.h"

namespace tavrel {

namespace {

constexpr ULONG kNamesPerCall = 100;
// How far a listing climbs back after it; deeper trees are climbed from the top anyway.
constexpr int kClimbAfterListing = 10;
// Bounds the climb to the top, which ends when the server refuses to go further: a server
// that never refuses must not hold the caller forever.
constexpr int kClimbToTopLimit = 1000;
constexpr WCHAR kAnyName[] = OLESTR("*");

// Calls `visit` for every string of `strings`, reading them kNamesPerCall at a time until the
// enumerator stops answering S_OK or answers it without a name. The last, shorter batch
// (answered S_FALSE) is visited too, or every list not a multiple of the batch size would lose
// its tail. Frees each string before `visit` moves the browse position.
void ForEachString(IEnumString* strings, const std::function<void(WideString)>& visit) {
  HRESULT read = S_OK;
  ULONG fetched = kNamesPerCall;
  while (read == S_OK && fetched > 0) {
    std::array<LPOLESTR, kNamesPerCall> names{};
    fetched = 0;
    read = strings->Next(kNamesPerCall, names.data(), &fetched);
    if (FAILED(read)) break;
    std::vector<WideString> batch;
    for (ULONG i = 0; i < fetched && i < kNamesPerCall; ++i) {
      const TaskMemoryPtr<OLECHAR> owned(names[i]);
      batch.emplace_back(names[i] == nullptr ? OLESTR("") : names[i]);
    }
    for (WideString& name : batch) visit(std::move(name));
  }
}

// The enumerator of `type` at the browse position; null when the server gives none.
ComPtr<IEnumString> Browse(IOPCBrowseServerAddressSpace& browser, OPCBROWSETYPE type) {
  ComPtr<IEnumString> strings;
  if (FAILED(browser.BrowseOPCItemIDs(type, kAnyName, VT_EMPTY, 0, strings.GetAddressOf()))) {
    return nullptr;
  }
  return strings;
}

}  // namespace

void AddressSpaceWalk::WalkFlat() {
  ClimbToTop();
  if (const ComPtr<IEnumString> strings = Browse(browser_, OPC_FLAT)) {
    ForEachString(strings.Get(), [this](WideString id) { AddItem(id); });
  }
}

void AddressSpaceWalk::WalkTree() {
  ClimbToTop();
  if (const ComPtr<IEnumString> strings = Browse(browser_, OPC_BRANCH)) {
    ForEachString(strings.Get(), [this](WideString name) { WalkBranch({std::move(name)}); });
  }
}

void AddressSpaceWalk::ClimbBack() {
  for (int i = 0; i < kClimbAfterListing; ++i) {
    if (FAILED(browser_.ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")))) break;
  }
}

void AddressSpaceWalk::ClimbToTop() {
  for (int i = 0; i < kClimbToTopLimit; ++i) {
    if (FAILED(browser_.ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")))) break;
  }
}

// Goes from the top down to `path`; false when a step is refused.
bool AddressSpaceWalk::GoTo(const BranchPath& path) {
  ClimbToTop();
  for (const WideString& name : path) {
    if (FAILED(browser_.ChangeBrowsePosition(OPC_BROWSE_DOWN, name.c_str()))) return false;
  }
  return true;
}

void AddressSpaceWalk::WalkBranch(const BranchPath& path) {
  if (path.size() > kMaxBranchDepth || branches_ >= kMaxBranches) return;
  ++branches_;
  ListLeaves(path);
  WalkSubBranches(path);
}

void AddressSpaceWalk::ListLeaves(const BranchPath& path) {
  if (!GoTo(path)) return;
  ComPtr<IEnumString> strings;
  if (browser_.BrowseOPCItemIDs(OPC_LEAF, kAnyName, VT_EMPTY, 0, strings.GetAddressOf()) != S_OK ||
      !strings) {
    return;
  }
  ForEachString(strings.Get(), [this](WideString leaf) {
    LPWSTR itemId = nullptr;
    if (FAILED(browser_.GetItemID(leaf.data(), &itemId)) || itemId == nullptr) {
      CoTaskMemFree(itemId);
      return;
    }
    const TaskMemoryPtr<OLECHAR> owned(itemId);
    AddItem(itemId);
  });
  ClimbBack();
}

void AddressSpaceWalk::WalkSubBranches(const BranchPath& path) {
  if (!GoTo(path)) return;
  if (const ComPtr<IEnumString> strings = Browse(browser_, OPC_BRANCH)) {
    ForEachString(strings.Get(), [&](WideString name) {
      BranchPath subBranch = path;
      subBranch.push_back(std::move(name));
      WalkBranch(subBranch);
    });
  }
  ClimbBack();
}

// One `it` with the canonical type and rights that adding the item to the group reports.
void AddressSpaceWalk::AddItem(WideStringView itemId) {
  WideString id(itemId);
  WideString accessPath;
  OPCITEMDEF definition{accessPath.data(), id.data(), TRUE, 0, 0, nullptr, VT_EMPTY, 0};
  int dataType = 0;
  int accessRights = 0;
  OPCITEMRESULT* results = nullptr;
  HRESULT* errors = nullptr;
  if (items_ != nullptr) {
    const HRESULT added = items_->AddItems(1, &definition, &results, &errors);
    const ItemResults ownedResults(results, 1);
    const TaskMemoryPtr<HRESULT> ownedErrors(errors);
    if (SUCCEEDED(added) && results != nullptr && errors != nullptr && SUCCEEDED(errors[0])) {
      dataType = results->vtCanonicalDataType;
      accessRights = static_cast<int>(results->dwAccessRights);
    }
  }
  document_.AddElement("it");
  document_.SetAttribute("id", WideToAnsi(itemId));
  document_.SetAttribute("dt", dataType);
  document_.SetAttribute("ar", accessRights);
}

}  // namespace tavrel
