#include "maker/online/server_scan.h"

#include "common/browse_files.h"
#include "common/code_page.h"
#include "common/log_time.h"
#include "maker/online/browse_navigation.h"
#include "maker/online/item_attributes.h"
#include "maker/online/server_link.h"
#include "maker/project/project_nodes.h"

namespace tavrel {

namespace {

constexpr ULONG kNamesPerBatch = 100;

// The connection's messages, which a window would show in boxes, as untimed lines.
class LineMessageBoxes final : public MessageBoxes {
 public:
  explicit LineMessageBoxes(ScanListener& listener) : listener_(listener) {}
  void Inform(const std::string& text, const std::string&) override {
    listener_.AddLine(text, false);
  }
  bool AskYesNo(const std::string&, const std::string&) override { return false; }

 private:
  ScanListener& listener_;
};

class ServerWalk {
 public:
  ServerWalk(IOPCBrowseServerAddressSpace& browser, IOPCItemMgt* items, TagListBuilder& list,
             ScanListener& listener, ScanProgress& progress, std::stop_token stop)
      : browser_(browser),
        items_(items),
        list_(list),
        listener_(listener),
        progress_(progress),
        stop_(std::move(stop)) {}

  void WalkTree() {
    ClimbToTop(browser_);
    ListLeaves({});
    for (const WideString& name : TopBranches()) {
      if (stop_.stop_requested()) return;
      WalkBranch({name});
    }
  }

  void WalkFlat() {
    ClimbToTop(browser_);
    ForEachNameBatch(browser_, OPC_FLAT, kAnyName, kNamesPerBatch,
                     [this](std::vector<WideString>& ids) { return AddItems(ids); });
  }

 private:
  std::vector<WideString> TopBranches() {
    ClimbToTop(browser_);
    return AllNames(browser_, OPC_BRANCH);
  }

  void WalkBranch(const BranchPath& path) {
    if (path.size() > kMaxScanDepth || stop_.stop_requested()) return;
    ListLeaves(path);
    for (const WideString& name : SubBranches(path)) {
      BranchPath sub = path;
      sub.push_back(name);
      WalkBranch(sub);
    }
  }

  void ListLeaves(const BranchPath& path) {
    if (!EnterBranch(browser_, path)) {
      listener_.AddLine(TimedLine("searchLeaf:更改OPC 访问位置出错"), true);
      return;
    }
    ForEachNameBatch(browser_, OPC_LEAF, kAnyName, kNamesPerBatch,
                     [this](std::vector<WideString>& leaves) {
                       std::vector<WideString> ids;
                       for (const WideString& leaf : leaves) {
                         WideString id = FullItemId(browser_, leaf);
                         if (!id.empty()) ids.push_back(std::move(id));
                       }
                       return AddItems(ids);
                     });
    ClimbToTop(browser_);
  }

  std::vector<WideString> SubBranches(const BranchPath& path) {
    if (!EnterBranch(browser_, path)) {
      listener_.AddLine(TimedLine("searchBranch:更改OPC 访问位置出错"), true);
      return {};
    }
    std::vector<WideString> names = AllNames(browser_, OPC_BRANCH);
    ClimbToTop(browser_);
    return names;
  }

  // Adds one batch to the file; false once the scan is to stop.
  bool AddItems(const std::vector<WideString>& ids) {
    std::vector<ItemRequest> requests;
    requests.reserve(ids.size());
    for (const WideString& id : ids) requests.push_back({id, {}});
    const auto attributes = AddItemsForAttributes(items_, requests);
    for (std::size_t i = 0; i < ids.size(); ++i) {
      const ItemAttributes found = attributes[i].value_or(ItemAttributes{});
      list_.AddItem(WideToAnsi(ids[i]), found.vt, found.dir);
    }
    progress_.itemsFound += ids.size();
    listener_.ReportProgress(progress_);
    return !stop_.stop_requested();
  }

  IOPCBrowseServerAddressSpace& browser_;
  IOPCItemMgt* items_;
  TagListBuilder& list_;
  ScanListener& listener_;
  ScanProgress& progress_;
  std::stop_token stop_;
};

// Scans one server into its file; false when the scan was stopped before the file was written.
bool ScanServer(const ScanRequest& request, const ScanTarget& target, ScanListener& listener,
                ScanProgress& progress, const std::stop_token& stop) {
  ServerNode server;
  server.settings = request.access;
  server.settings.sid = target.progId;
  server.settings.clsid = target.clsid;
  LineMessageBoxes boxes(listener);
  const std::unique_ptr<ServerLink> link = ServerLink::Connect(server, boxes);
  if (!link) {
    listener.AddLine(TimedLine("获取Server[" + target.progId + "] 点表失败"), true);
    return true;
  }
  ComPtr<IOPCBrowseServerAddressSpace> browser;
  if (FAILED(link->Server()->QueryInterface(IID_IOPCBrowseServerAddressSpace,
                                            browser.ReleaseAndGetVoidAddressOf())) ||
      !browser) {
    browser.Reset();
    listener.AddLine(TimedLine("Server[" + target.progId + "] 不支持数据浏览"), true);
  }
  TagListBuilder list;
  OPCNAMESPACETYPE organisation = OPC_NS_FLAT;
  if (browser && SUCCEEDED(browser->QueryOrganization(&organisation))) {
    ServerWalk walk(*browser.Get(), link->Items(), list, listener, progress, stop);
    if (organisation == OPC_NS_HIERARCHIAL) {
      listener.AddLine(TimedLine("开始遍历SERVER TAG: Leaf mode"), true);
      walk.WalkTree();
    } else {
      listener.AddLine(TimedLine("开始遍历SERVER TAG: Flat mode"), true);
      walk.WalkFlat();
    }
    ClimbToTop(*browser.Get());
  }
  browser.Reset();
  if (stop.stop_requested()) return false;
  if (const auto path = TagListPath(request.programDirectory, target.progId)) {
    std::string error;
    if (CreateServersDirectory(request.programDirectory, &error) && list.Save(*path, &error)) {
      listener.AddLine(TimedLine("文件已经保存到:" + *path), true);
    } else {
      listener.AddLine(TimedLine("文件保存失败:" + *path + " (" + error + ")"), true);
    }
  }
  return true;
}

}  // namespace

std::string TimedLine(const std::string& message) {
  char stamp[64];
  FormatLogTime(stamp, sizeof stamp);
  return std::string(stamp) + " " + message;
}

void RunServerScan(const ScanRequest& request, ScanListener& listener, std::stop_token stop) {
  listener.AddLine("找到" + std::to_string(request.servers.size()) + "个SERVER需要扫描!", false);
  ScanProgress progress;
  progress.serversTotal = request.servers.size();
  listener.ReportProgress(progress);
  for (const ScanTarget& target : request.servers) {
    if (stop.stop_requested() || !ScanServer(request, target, listener, progress, stop)) {
      listener.AddLine(TimedLine("扫描已取消"), true);
      return;
    }
    ++progress.serversDone;
    listener.ReportProgress(progress);
  }
  listener.AddLine(TimedLine("扫描结束"), true);
}

}  // namespace tavrel
