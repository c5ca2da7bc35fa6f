// The classes that a node's server list service names for a component category.
#pragma once

#include <string>
#include <vector>

#include "platform/opcda/opcda.h"

namespace tavrel {

struct CategoryClass {
  std::string progId;
  std::string description;  // the class's user type name
  CLSID clsid{};
};

// Appends to `classes` every class of `category` that `service` enumerates (in calls of up to
// 100), with its ProgID and description; a class whose details cannot be read is left out. An
// enumeration that fails part way keeps what it found. Returns the result of starting the
// enumeration: a failure there leaves `classes` as it was.
HRESULT ListCategoryClasses(IOPCServerList& service, const CATID& category,
                            std::vector<CategoryClass>& classes);

}  // namespace tavrel
