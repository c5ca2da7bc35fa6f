#include "bridge/opc/server_tag_browse.h"

#include <array>
#include <functional>
#include <vector>

#include "bridge/opc/body_document.h"
#include "bridge/opc/opc_result_owners.h"
#include "common/code_page.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/com/wide_string.h"

namespace {

constexpr ULONG kNamesPerCall = 100;
// How far a listing climbs back after it; deeper trees are climbed from the top anyway.
constexpr int kClimbAfterListing = 10;
// Bounds the climb to the top, which ends when the server refuses to go further: a server
// that never refuses must not hold the caller forever.
constexpr int kClimbToTopLimit = 1000;
constexpr WCHAR kAnyName[] = OLESTR("*");

using BranchPath = std::vector<WideString>;

// Calls `visit` for every string of `strings`, reading them kNamesPerCall at a time until the
// enumerator stops answering S_OK. The last, shorter batch (answered S_FALSE) is visited too,
// or every list not a multiple of the batch size would lose its tail. Frees each string
// before `visit` moves the browse position.
void ForEachString(IEnumString* strings, const std::function<void(WideString)>& visit) {
  HRESULT read = S_OK;
  while (read == S_OK) {
    std::array<LPOLESTR, kNamesPerCall> names{};
    ULONG fetched = 0;
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

class AddressSpaceWalk {
 public:
  AddressSpaceWalk(IOPCBrowseServerAddressSpace& browser, IOPCItemMgt* items,
                   MarkupDocument& document)
      : browser_(browser), items_(items), document_(document) {}

  void WalkFlat() {
    ClimbToTop();
    ComPtr<IEnumString> strings;
    if (FAILED(
            browser_.BrowseOPCItemIDs(OPC_FLAT, kAnyName, VT_EMPTY, 0, strings.GetAddressOf())) ||
        !strings) {
      return;
    }
    ForEachString(strings.Get(), [this](WideString id) { AddItem(id); });
  }

  void WalkTree() {
    ClimbToTop();
    ComPtr<IEnumString> strings;
    if (FAILED(
            browser_.BrowseOPCItemIDs(OPC_BRANCH, kAnyName, VT_EMPTY, 0, strings.GetAddressOf())) ||
        !strings) {
      return;
    }
    ForEachString(strings.Get(), [this](WideString name) {
      const BranchPath path{std::move(name)};
      ListLeaves(path);
      WalkSubBranches(path);
    });
  }

  // Climbs back after the walk, at most kClimbAfterListing times.
  void ClimbBack() {
    for (int i = 0; i < kClimbAfterListing; ++i) {
      if (FAILED(browser_.ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")))) break;
    }
  }

 private:
  void ClimbToTop() {
    for (int i = 0; i < kClimbToTopLimit; ++i) {
      if (FAILED(browser_.ChangeBrowsePosition(OPC_BROWSE_UP, OLESTR("")))) break;
    }
  }

  // Goes from the top down to `path`; false when a step is refused.
  bool GoTo(const BranchPath& path) {
    ClimbToTop();
    for (const WideString& name : path) {
      if (FAILED(browser_.ChangeBrowsePosition(OPC_BROWSE_DOWN, name.c_str()))) return false;
    }
    return true;
  }

  void ListLeaves(const BranchPath& path) {
    if (!GoTo(path)) return;
    ComPtr<IEnumString> strings;
    if (browser_.BrowseOPCItemIDs(OPC_LEAF, kAnyName, VT_EMPTY, 0, strings.GetAddressOf()) !=
            S_OK ||
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

  void WalkSubBranches(const BranchPath& path) {
    if (!GoTo(path)) return;
    ComPtr<IEnumString> strings;
    if (FAILED(
            browser_.BrowseOPCItemIDs(OPC_BRANCH, kAnyName, VT_EMPTY, 0, strings.GetAddressOf())) ||
        !strings) {
      return;
    }
    ForEachString(strings.Get(), [&](WideString name) {
      BranchPath subBranch = path;
      subBranch.push_back(std::move(name));
      ListLeaves(subBranch);
      WalkSubBranches(subBranch);
    });
    ClimbBack();
  }

  // One `it` with the canonical type and rights that adding the item to the group reports.
  void AddItem(WideStringView itemId) {
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

  IOPCBrowseServerAddressSpace& browser_;
  IOPCItemMgt* items_;
  MarkupDocument& document_;
};

}  // namespace

std::string BrowseServerTags(BridgeLog& log, std::string_view sid, std::string_view clsid,
                             bool forceFlat, const DiscoveryPause& settle) {
  log.LogMessage("开始遍历SERVER TAG", 0);
  MarkupDocument document = NewBodyDocument();

  const std::string server(sid);
  {
    const std::unique_ptr<BrowseConnection> connection = BrowseConnection::Open(clsid, log, settle);
    if (!connection) {
      document.AddElement("t");
      document.SetAttribute("error", "获取Server[" + server + "] 点表失败");
      return document.GetText();
    }
    ComPtr<IOPCBrowseServerAddressSpace> browser;
    if (FAILED(ComPtr<IOPCServer>(connection->Server()).As(&browser)) || !browser) {
      document.AddElement("t");
      document.SetAttribute("error", "Server[" + server + "] 不支持数据浏览");
      return document.GetText();
    }
    OPCNAMESPACETYPE organisation = OPC_NS_HIERARCHIAL;
    browser->QueryOrganization(&organisation);
    document.AddElement("t");
    document.EnterElement();

    AddressSpaceWalk walk(*browser.Get(), connection->Items(), document);
    if (organisation != OPC_NS_HIERARCHIAL || forceFlat) {
      walk.WalkFlat();
    } else {
      walk.WalkTree();
    }
    walk.ClimbBack();
  }
  log.LogMessage("遍历结束", 0);
  const std::string& text = document.GetText();
  log.WriteLogText(server, text);
  return text;
}
