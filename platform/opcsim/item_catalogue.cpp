#include "platform/opcsim/item_catalogue.h"

#include <utility>

namespace tavrel::opcsim {

namespace {

WideString JoinPath(WideStringView parentPath, WideStringView name) {
  if (parentPath.empty()) return WideString(name);
  WideString path(parentPath);
  path += ItemCatalogue::kSeparator;
  path += name;
  return path;
}

}  // namespace

ItemCatalogue::ItemCatalogue() {
  branches_.emplace_back();
  branchesByPath_.emplace(WideString(), kRoot);
}

std::size_t ItemCatalogue::AddBranch(std::size_t parent, WideString name) {
  BranchNode branch;
  branch.path = JoinPath(branches_[parent].path, name);
  branch.name = std::move(name);
  branch.parent = parent;
  const std::size_t index = branches_.size();
  branchesByPath_.emplace(branch.path, index);
  branches_.push_back(std::move(branch));
  branches_[parent].branches.push_back(index);
  return index;
}

std::size_t ItemCatalogue::AddItem(std::size_t branch, ItemDefinition item) {
  item.branch = branch;
  item.itemId = JoinPath(branches_[branch].path, item.name);
  const std::size_t index = items_.size();
  itemsById_.emplace(item.itemId, index);
  items_.push_back(std::move(item));
  branches_[branch].items.push_back(index);
  return index;
}

std::optional<std::size_t> ItemCatalogue::FindItem(WideStringView itemId) const {
  const auto found = itemsById_.find(WideString(itemId));
  if (found == itemsById_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::size_t> ItemCatalogue::FindSubBranch(std::size_t branch,
                                                        WideStringView name) const {
  for (const std::size_t child : branches_[branch].branches) {
    if (branches_[child].name == name) return child;
  }
  return std::nullopt;
}

std::optional<std::size_t> ItemCatalogue::FindBranch(WideStringView path) const {
  const auto found = branchesByPath_.find(WideString(path));
  if (found == branchesByPath_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::size_t> ItemCatalogue::FindLeaf(std::size_t branch, WideStringView name) const {
  // Through the id index, so that naming every leaf of a large branch stays linear; a name
  // holding the separator could reach an item of a sub-branch that way, hence the check.
  const std::optional<std::size_t> item = FindItem(JoinPath(branches_[branch].path, name));
  if (!item || items_[*item].branch != branch || items_[*item].name != name) return std::nullopt;
  return item;
}

}  // namespace tavrel::opcsim
