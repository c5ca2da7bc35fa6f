// AddressSpaceBrowser: the browse position of one connection and the browse answers.
//
// Hierarchical organisation: the position starts at the top. UP fails (E_FAIL) at the top,
// so that clients can climb "until it fails"; DOWN goes to a sub-branch of the position; TO
// goes to the branch whose path is given ("" is the top). Unknown names give E_INVALIDARG.
// BRANCH lists the sub-branch names of the position, LEAF the names of its items, FLAT the
// full ids of every item at and below it (items before sub-branches, depth first).
//
// Flat organisation: there are no branches. Every ChangeBrowsePosition fails with E_FAIL,
// BRANCH lists nothing, LEAF and FLAT list every item id.
//
// Filters: the name filter matches the listed strings ("*" any run, "?" any one character;
// empty matches everything). For items, a data type filter other than VT_EMPTY keeps those
// that AddItems would accept with that requested type, an access rights filter keeps those
// having all its bits. Everything is listed in catalogue order.
#pragma once

#include <vector>

#include "common/wide_string.h"
#include "platform/opcda/opc_types.h"
#include "platform/opcsim/item_catalogue.h"

namespace tavrel::opcsim {

// True when `text` matches `pattern` ("*" and "?" as above).
bool MatchesFilter(WideStringView text, WideStringView pattern);

class AddressSpaceBrowser {
 public:
  AddressSpaceBrowser(const ItemCatalogue& catalogue, bool hierarchical)
      : catalogue_(catalogue), hierarchical_(hierarchical) {}

  OPCNAMESPACETYPE Organization() const { return hierarchical_ ? OPC_NS_HIERARCHIAL : OPC_NS_FLAT; }
  HRESULT ChangePosition(OPCBROWSEDIRECTION direction, WideStringView name);
  // E_INVALIDARG for an unknown browse type; otherwise S_OK with the names (maybe none).
  HRESULT Browse(OPCBROWSETYPE type, WideStringView filter, VARTYPE dataTypeFilter,
                 DWORD accessRightsFilter, std::vector<WideString>* names) const;
  // The full id of the leaf or sub-branch `name` of the position ("" gives the position's own
  // path); E_INVALIDARG when there is no such leaf or branch.
  HRESULT ItemIdOf(WideStringView name, WideString* itemId) const;

 private:
  bool ItemPasses(std::size_t item, WideStringView shownName, WideStringView filter,
                  VARTYPE dataTypeFilter, DWORD accessRightsFilter) const;
  void ListFlat(std::size_t branch, WideStringView filter, VARTYPE dataTypeFilter,
                DWORD accessRightsFilter, std::vector<WideString>* names) const;

  const ItemCatalogue& catalogue_;
  const bool hierarchical_;
  std::size_t position_ = ItemCatalogue::kRoot;
};

}  // namespace tavrel::opcsim
