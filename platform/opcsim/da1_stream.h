// The DA 1.0 data streams a simulated group sends through IAdviseSink::OnDataChange.
//
// Data ("OPCSTMFORMATDATATIME", or "OPCSTMFORMATDATA" without time stamps):
//   OPCGROUPHEADER       dwSize (bytes of the whole stream), dwItemCount, hClientGroup,
//                        dwTransactionID (0 for data changes), hrStatus (S_FALSE when an
//                        item failed)
//   item headers         OPCITEMHEADER1 (with the time) or OPCITEMHEADER2, one per item;
//                        dwValueOffset counts from the start of the stream
//   values               at each offset (8-byte aligned) a VARIANT whose pointers mean
//                        nothing; a VT_BSTR is followed by its byte count (DWORD), its
//                        characters and a NUL character; an array by its SAFEARRAY
//                        descriptor and its elements, strings among them each written as
//                        byte count, characters, NUL
// An item whose read failed is sent as VT_EMPTY with a bad quality.
//
// Write completion ("OPCSTMFORMATWRITECOMPLETE"): OPCGROUPHEADERWRITE, then one
// OPCITEMHEADERWRITE (client handle, error) per item.
#pragma once

#include "platform/com/com_api.h"
#include "platform/opcsim/data_report.h"

namespace tavrel::opcsim {

// Null when memory is exhausted.
HGLOBAL BuildDataStream(const DataReport& report, bool withTimeStamps);
HGLOBAL BuildWriteCompleteStream(const WriteReport& report);

}  // namespace tavrel::opcsim
