#include "maker/online/browse_navigation.h"

#include "platform/com/task_memory_ptr.h"

namespace tavrel {

namespace {

constexpr int kClimbLimit = 1000;
constexpr ULONG kNamesPerCall = 100;

}  // namespace

void ClimbToTop(IOPCBrowseServerAddressSpace& browser) {
  for (int step = 0; step < kClimbLimit; ++step) {
    if (FAILED(browser.ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")))) return;
  }
}

bool EnterBranch(IOPCBrowseServerAddressSpace& browser, const BranchPath& path) {
  ClimbToTop(browser);
  for (const WideString& name : path) {
    if (FAILED(browser.ChangeBrowsePosition(OPC_BROWSE_DOWN, name.c_str()))) return false;
  }
  return true;
}

bool ForEachNameBatch(IOPCBrowseServerAddressSpace& browser, OPCBROWSETYPE type,
                      const WideString& filter, ULONG batchSize, const NameBatchVisitor& visit) {
  ComPtr<IEnumString> strings;
  WideString criteria = filter;
  if (FAILED(
          browser.BrowseOPCItemIDs(type, criteria.c_str(), VT_EMPTY, 0, strings.GetAddressOf()))) {
    return false;
  }
  if (!strings) return true;
  std::vector<LPOLESTR> received(batchSize);
  HRESULT read = S_OK;
  while (read == S_OK) {
    ULONG fetched = 0;
    read = strings->Next(batchSize, received.data(), &fetched);
    if (FAILED(read) || fetched == 0) break;
    std::vector<WideString> names;
    names.reserve(fetched);
    for (ULONG i = 0; i < fetched && i < batchSize; ++i) {
      const TaskMemoryPtr<OLECHAR> owned(received[i]);
      names.emplace_back(received[i] == nullptr ? OLESTR("") : received[i]);
    }
    if (!visit(names)) break;
  }
  return true;
}

std::vector<WideString> AllNames(IOPCBrowseServerAddressSpace& browser, OPCBROWSETYPE type) {
  std::vector<WideString> all;
  ForEachNameBatch(browser, type, kAnyName, kNamesPerCall, [&](std::vector<WideString>& names) {
    for (WideString& name : names) all.push_back(std::move(name));
    return true;
  });
  return all;
}

WideString FullItemId(IOPCBrowseServerAddressSpace& browser, const WideString& name) {
  WideString leaf = name;
  LPWSTR itemId = nullptr;
  const HRESULT hr = browser.GetItemID(leaf.data(), &itemId);
  const TaskMemoryPtr<OLECHAR> owned(itemId);
  if (FAILED(hr) || itemId == nullptr) return {};
  return WideString(itemId);
}

}  // namespace tavrel
