// The canonical data type and access rights of items, as the server of a connection reports
// them through its internal group (IOPCItemMgt): by adding the items (the scan and the attribute
// match) or by validating them (the online browser's batch mode).
#pragma once

#include <optional>
#include <vector>

#include "common/wide_string.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

struct ItemAttributes {
  int vt = 0;   // canonical data type
  int dir = 0;  // access rights

  bool operator==(const ItemAttributes&) const = default;
};

struct ItemRequest {
  WideString id;
  WideString accessPath;
};

// Adds the items to the group, active, in one call; each item's attributes, or nothing when the
// server refused it (or the whole call failed, or there is no group). The items stay in the
// group.
std::vector<std::optional<ItemAttributes>> AddItemsForAttributes(
    IOPCItemMgt* items, const std::vector<ItemRequest>& requests);

// Validates the items (active, no blob) in one call; their attributes only when the server
// answers S_OK for the call, else nothing for the whole batch.
std::optional<std::vector<ItemAttributes>> ValidateItemBatch(
    IOPCItemMgt& items, const std::vector<ItemRequest>& requests);

// Canonical data type (property 1) and access rights (property 5) of one item through its
// properties; nothing when the server offers neither or cannot read them.
std::optional<ItemAttributes> ReadItemProperties(IOPCItemProperties& properties,
                                                 const WideString& itemId);

}  // namespace tavrel
