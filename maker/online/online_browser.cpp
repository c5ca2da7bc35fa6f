#include "maker/online/online_browser.h"

#include "common/code_page.h"

namespace tavrel {

namespace {

constexpr ULONG kLeavesPerCall = 1000;

std::vector<std::string> ToAnsi(const std::vector<WideString>& names) {
  std::vector<std::string> texts;
  texts.reserve(names.size());
  for (const WideString& name : names) texts.push_back(WideToAnsi(name));
  return texts;
}

}  // namespace

OnlineBrowser::OnlineBrowser(const ServerLink& link) : items_(link.Items()) {
  link.Server()->QueryInterface(IID_IOPCBrowseServerAddressSpace,
                                browser_.ReleaseAndGetVoidAddressOf());
  link.Server()->QueryInterface(IID_IOPCItemProperties, properties_.ReleaseAndGetVoidAddressOf());
}

std::optional<OPCNAMESPACETYPE> OnlineBrowser::Organization() const {
  OPCNAMESPACETYPE organisation = OPC_NS_FLAT;
  if (!browser_ || FAILED(browser_->QueryOrganization(&organisation))) return std::nullopt;
  return organisation;
}

bool OnlineBrowser::Enter(const std::vector<std::string>& path) const {
  BranchPath wide;
  for (const std::string& name : path) wide.push_back(AnsiToWide(name));
  return EnterBranch(*browser_.Get(), wide);
}

std::vector<std::string> OnlineBrowser::Branches(const std::vector<std::string>& path) const {
  if (!browser_) return {};
  std::vector<std::string> names;
  if (Enter(path)) names = ToAnsi(AllNames(*browser_.Get(), OPC_BRANCH));
  ReturnToTop();
  return names;
}

std::vector<std::string> OnlineBrowser::Leaves(const std::vector<std::string>& path,
                                               const std::string& filter) const {
  if (!browser_) return {};
  std::vector<std::string> ids;
  if (Enter(path)) {
    ForEachNameBatch(*browser_.Get(), OPC_LEAF, AnsiToWide(filter), kLeavesPerCall,
                     [&](std::vector<WideString>& leaves) {
                       for (const WideString& leaf : leaves) {
                         ids.push_back(WideToAnsi(FullItemId(*browser_.Get(), leaf)));
                       }
                       return true;
                     });
  }
  ReturnToTop();
  return ids;
}

std::vector<std::string> OnlineBrowser::FlatIds() const {
  if (!browser_) return {};
  return ToAnsi(AllNames(*browser_.Get(), OPC_FLAT));
}

void OnlineBrowser::ReturnToTop() const {
  if (browser_) ClimbToTop(*browser_.Get());
}

std::optional<std::vector<ItemAttributes>> OnlineBrowser::ValidateBatch(
    const std::vector<std::string>& ids) const {
  if (items_ == nullptr) return std::nullopt;
  std::vector<ItemRequest> requests;
  requests.reserve(ids.size());
  for (const std::string& id : ids) requests.push_back({AnsiToWide(id), {}});
  return ValidateItemBatch(*items_, requests);
}

std::optional<ItemAttributes> OnlineBrowser::ReadProperties(const std::string& id) const {
  if (!properties_) return std::nullopt;
  return ReadItemProperties(*properties_.Get(), AnsiToWide(id));
}

}  // namespace tavrel
