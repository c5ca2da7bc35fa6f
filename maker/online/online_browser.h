// OnlineBrowser: what the "Add Tag" dialog asks of a connected server: its organisation, the
// branches and leaves of a position, the flat list, and the attributes of chosen items.
//
// Every listing starts from the top, steps down to its position and climbs back to the top.
// Names and ids are GBK.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "maker/online/browse_navigation.h"
#include "maker/online/item_attributes.h"
#include "maker/online/server_link.h"

namespace tavrel {

class OnlineBrowser {
 public:
  explicit OnlineBrowser(const ServerLink& link);

  // False when the server offers no address-space browsing.
  bool CanBrowse() const { return browser_ != nullptr; }
  bool HasItemManagement() const { return items_ != nullptr; }

  std::optional<OPCNAMESPACETYPE> Organization() const;
  // The sub-branches of `path` (the top for an empty path); nothing when it cannot be entered.
  std::vector<std::string> Branches(const std::vector<std::string>& path) const;
  // The fully qualified ids of the leaves of `path` matching `filter` (empty for a leaf the
  // server cannot name), read 1000 names at a time.
  std::vector<std::string> Leaves(const std::vector<std::string>& path,
                                  const std::string& filter) const;
  // Every string of a flat browse (filter "*").
  std::vector<std::string> FlatIds() const;
  void ReturnToTop() const;

  // ValidateItems for all `ids` at once; nothing unless the server answers S_OK.
  std::optional<std::vector<ItemAttributes>> ValidateBatch(
      const std::vector<std::string>& ids) const;
  // Properties 1 and 5 of one item; nothing when they cannot be read.
  std::optional<ItemAttributes> ReadProperties(const std::string& id) const;

 private:
  bool Enter(const std::vector<std::string>& path) const;

  ComPtr<IOPCBrowseServerAddressSpace> browser_;
  ComPtr<IOPCItemProperties> properties_;
  IOPCItemMgt* items_;
};

}  // namespace tavrel
