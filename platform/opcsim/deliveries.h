// The calls a simulated group makes to its clients, as Deliveries of the update thread.
#pragma once

#include <memory>
#include <vector>

#include "platform/com/com_api.h"
#include "platform/com/com_ptr.h"
#include "platform/opcda/opc_interfaces.h"
#include "platform/opcsim/data_report.h"
#include "platform/opcsim/update_scheduler.h"

namespace tavrel::opcsim {

using DataCallbacks = std::vector<ComPtr<IOPCDataCallback>>;

// OnDataChange (or OnReadComplete) of every sink with the report's arrays.
std::unique_ptr<Delivery> MakeDataDelivery(DataCallbacks sinks, DataReport report,
                                           bool readComplete);
std::unique_ptr<Delivery> MakeWriteCompleteDelivery(DataCallbacks sinks, WriteReport report);
std::unique_ptr<Delivery> MakeCancelCompleteDelivery(DataCallbacks sinks, DWORD transactionId,
                                                     OPCHANDLE clientGroup);
// IAdviseSink::OnDataChange with a DA 1.0 stream; the delivery frees the stream afterwards.
std::unique_ptr<Delivery> MakeStreamDelivery(ComPtr<IAdviseSink> sink, CLIPFORMAT format,
                                             HGLOBAL stream);

}  // namespace tavrel::opcsim
