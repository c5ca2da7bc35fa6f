// The IEnumOPCItemAttributes of a simulated group: a snapshot of its items' attributes.
#pragma once

#include <vector>

#include "common/wide_string.h"
#include "platform/com/com_ptr.h"
#include "platform/opcda/opc_interfaces.h"

namespace tavrel::opcsim {

struct ItemAttributes {
  WideString itemId;
  bool active = true;
  OPCHANDLE clientHandle = 0;
  OPCHANDLE serverHandle = 0;
  DWORD accessRights = 0;
  VARTYPE requestedType = VT_EMPTY;
  VARTYPE canonicalType = VT_EMPTY;
  bool analog = false;
  double euLow = 0.0;
  double euHigh = 0.0;
};

// Next hands out a task-memory array of OPCITEMATTRIBUTES; each one's strings are task memory
// and its vEUInfo a VARIANT to clear, all for the caller to free.
ComPtr<IEnumOPCItemAttributes> CreateItemAttributesEnumerator(std::vector<ItemAttributes> items);

}  // namespace tavrel::opcsim
