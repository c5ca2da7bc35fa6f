// The properties of simulated items (IOPCItemProperties).
//
// Every item has 1 canonical data type (VT_I2), 2 value, 3 quality (VT_I2), 4 time stamp
// (VT_DATE, UTC), 5 access rights (VT_I4), 6 server scan rate (VT_R4, the fastest update rate
// in ms) and 101 description (VT_BSTR). Analog items also have 7 EU type (VT_I4, OPC_ANALOG),
// 8 EU info (VT_ARRAY|VT_R8: low, high), 102 high EU and 103 low EU (VT_R8).
#pragma once

#include <vector>

#include "platform/opcsim/simulated_device.h"

namespace tavrel::opcsim {

struct PropertyInfo {
  DWORD id;
  const WCHAR* description;
  VARTYPE type;
};

// The properties of catalogue item `item`, in id order.
std::vector<PropertyInfo> AvailableProperties(const ItemDefinition& item);

// The value of property `propertyId` of item `item` at `now` into `*value`. Returns
// OPC_E_INVALID_PID for a property the item does not have, and for property 2 the item's read
// error.
HRESULT ReadProperty(const SimulatedDevice& device, std::size_t item, DWORD propertyId,
                     std::chrono::steady_clock::time_point now, OwnedVariant* value);

}  // namespace tavrel::opcsim
