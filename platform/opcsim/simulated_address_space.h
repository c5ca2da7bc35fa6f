// The address space every simulated server offers.
//
// Top level, in this order:
//   Random, Ramp, Sine, Square   read-only, one item per type (below), values from the signal
//   Echo                         read/write, one item per type; reads give the last write
//   WriteOnly                    Int4, Real8, Boolean, String: writable, not readable
//   ReadError                    Fail, AccessDenied, OutOfRange: every read fails with that code
//   WriteError                   Fail, AccessDenied, OutOfRange: every write fails with that
//                                code; ReadOnly refuses writes as any read-only item does
//   Quality                      Cycle: a constant value whose quality cycles 192, 0, 64, 216, 193
//   Bulk                         Item0000 .. : N reals that change every bulk period
//   中文 / 设备一                 温度, 压力, 状态 (signals) and 名称 (read/write text)
//   Heartbeat, Counter, Version  items at the top level itself
//
// The items per type, with their canonical types: Int1 VT_I1, Int2 VT_I2, Int4 VT_I4,
// UInt1 VT_UI1, UInt2 VT_UI2, UInt4 VT_UI4, Real4 VT_R4, Real8 VT_R8, Boolean VT_BOOL,
// String VT_BSTR, Date VT_DATE, ArrayOfReal8 VT_ARRAY|VT_R8, ArrayOfString VT_ARRAY|VT_BSTR.
#pragma once

#include <cstddef>

#include "platform/opcsim/item_catalogue.h"

namespace tavrel::opcsim {

ItemCatalogue BuildSimulatedAddressSpace(std::size_t bulkItemCount);

}  // namespace tavrel::opcsim
