#include "platform/opcsim/address_space_browser.h"

#include "platform/opcsim/variant_compare.h"

namespace tavrel::opcsim {

bool MatchesFilter(WideStringView text, WideStringView pattern) {
  if (pattern.empty()) return true;
  // Greedy matching with one backtracking point: the last "*" seen.
  std::size_t t = 0;
  std::size_t p = 0;
  std::size_t starPattern = WideStringView::npos;
  std::size_t starText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == OLESTR('?') || pattern[p] == text[t])) {
      ++t;
      ++p;
    } else if (p < pattern.size() && pattern[p] == OLESTR('*')) {
      starPattern = p++;
      starText = t;
    } else if (starPattern != WideStringView::npos) {
      p = starPattern + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == OLESTR('*')) ++p;
  return p == pattern.size();
}

HRESULT AddressSpaceBrowser::ChangePosition(OPCBROWSEDIRECTION direction, WideStringView name) {
  if (!hierarchical_) return E_FAIL;
  switch (direction) {
    case OPC_BROWSE_UP:
      if (position_ == ItemCatalogue::kRoot) return E_FAIL;
      position_ = catalogue_.Branch(position_).parent;
      return S_OK;
    case OPC_BROWSE_DOWN: {
      const auto branch = catalogue_.FindSubBranch(position_, name);
      if (!branch) return E_INVALIDARG;
      position_ = *branch;
      return S_OK;
    }
    case OPC_BROWSE_TO: {
      const auto branch = catalogue_.FindBranch(name);
      if (!branch) return E_INVALIDARG;
      position_ = *branch;
      return S_OK;
    }
  }
  return E_INVALIDARG;
}

bool AddressSpaceBrowser::ItemPasses(std::size_t item, WideStringView shownName,
                                     WideStringView filter, VARTYPE dataTypeFilter,
                                     DWORD accessRightsFilter) const {
  const ItemDefinition& definition = catalogue_.Item(item);
  return MatchesFilter(shownName, filter) && CanServeAs(definition.canonicalType, dataTypeFilter) &&
         (definition.accessRights & accessRightsFilter) == accessRightsFilter;
}

void AddressSpaceBrowser::ListFlat(std::size_t branch, WideStringView filter,
                                   VARTYPE dataTypeFilter, DWORD accessRightsFilter,
                                   std::vector<WideString>* names) const {
  for (const std::size_t item : catalogue_.Branch(branch).items) {
    const WideString& id = catalogue_.Item(item).itemId;
    if (ItemPasses(item, id, filter, dataTypeFilter, accessRightsFilter)) names->push_back(id);
  }
  for (const std::size_t child : catalogue_.Branch(branch).branches) {
    ListFlat(child, filter, dataTypeFilter, accessRightsFilter, names);
  }
}

HRESULT AddressSpaceBrowser::Browse(OPCBROWSETYPE type, WideStringView filter,
                                    VARTYPE dataTypeFilter, DWORD accessRightsFilter,
                                    std::vector<WideString>* names) const {
  names->clear();
  if (type != OPC_BRANCH && type != OPC_LEAF && type != OPC_FLAT) return E_INVALIDARG;
  if (!hierarchical_) {
    if (type != OPC_BRANCH) {
      ListFlat(ItemCatalogue::kRoot, filter, dataTypeFilter, accessRightsFilter, names);
    }
    return S_OK;
  }
  const BranchNode& here = catalogue_.Branch(position_);
  if (type == OPC_BRANCH) {
    for (const std::size_t child : here.branches) {
      if (MatchesFilter(catalogue_.Branch(child).name, filter)) {
        names->push_back(catalogue_.Branch(child).name);
      }
    }
  } else if (type == OPC_LEAF) {
    for (const std::size_t item : here.items) {
      const WideString& name = catalogue_.Item(item).name;
      if (ItemPasses(item, name, filter, dataTypeFilter, accessRightsFilter)) {
        names->push_back(name);
      }
    }
  } else {
    ListFlat(position_, filter, dataTypeFilter, accessRightsFilter, names);
  }
  return S_OK;
}

HRESULT AddressSpaceBrowser::ItemIdOf(WideStringView name, WideString* itemId) const {
  if (!hierarchical_) {
    if (!catalogue_.FindItem(name)) return E_INVALIDARG;
    *itemId = WideString(name);
    return S_OK;
  }
  if (name.empty()) {
    *itemId = catalogue_.Branch(position_).path;
    return S_OK;
  }
  if (const auto leaf = catalogue_.FindLeaf(position_, name)) {
    *itemId = catalogue_.Item(*leaf).itemId;
    return S_OK;
  }
  if (const auto branch = catalogue_.FindSubBranch(position_, name)) {
    *itemId = catalogue_.Branch(*branch).path;
    return S_OK;
  }
  return E_INVALIDARG;
}

}  // namespace tavrel::opcsim
