// Registration of a server's groups and items, in file order.
//
// Each group is added with its settings and client group handle (its place + 1); its tags
// become items, all in one call (bulk) or one by one (single), each with the client handle of
// a new Item record; then the group's I/O interfaces are taken and call-back groups advise
// the connection's data call-back. Single registration reads each new item once from the
// server's cache and publishes it.
#pragma once

#include <functional>

#include "bridge/opc/connection_parts.h"

namespace tavrel {

struct RegistrationHooks {
  IOPCDataCallback* dataCallback = nullptr;  // advised on every call-back group
  // The worker's pause while a group is not usable; false when the worker is stopping.
  std::function<bool()> waitForGroup;
};

enum class Registration {
  kDone,
  kGroupRefused,  // the server refused a group (AddGroup failed): the caller tears down
  kEnded,  // a group's item interface or a bulk AddItems call failed, or the worker is stopping
};

// Registers every group of the server held by `parts.session`. A group in property-read mode
// gives `itemProperties` the server's IOPCItemProperties.
Registration RegisterGroups(ConnectionParts& parts, const RegistrationHooks& hooks,
                            ComPtr<IOPCItemProperties>& itemProperties);

}  // namespace tavrel
