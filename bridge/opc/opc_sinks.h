// The COM objects through which a server calls a connection back.
//
// OPCCallback (IOPCDataCallback), one per connection, advised on every call-back group: data
// changes and refresh results find their records through the client handles of the item table
// and are published to the tags; entries with an error, and handles of records that no longer
// exist, are skipped; the values published are counted, one addition per call-back (the counter
// is shared with the connection's other threads). Read completions are acknowledged and dropped:
// the engine makes no asynchronous reads, and an item keeps no value apart from its tag's live
// value, which only publishing changes. It never blocks on the server and never calls it. Servers
// may hold it longer than the connection lives: it shares the item table, and once the connection
// has closed that table it touches nothing else.
//
// OPCShutdown (IOPCShutdown): keeps the reason text and asks the connection's worker to
// restart (worker_wakeup.h).
#pragma once

#include <memory>
#include <string>

#include "bridge/core/bridge_project.h"
#include "bridge/core/metric_registry.h"
#include "bridge/opc/opc_item.h"
#include "bridge/opc/worker_wakeup.h"
#include "common/mutex.h"
#include "opcclient/ignoring_data_sink.h"
#include "platform/com/com_object.h"
#include "platform/opcda/opcda.h"

namespace tavrel {

class OPCCallback final : public IgnoringDataSink {
 public:
  OPCCallback(std::shared_ptr<const ItemTable> items, const BridgeProject& project,
              MetricCounter& valuesReceived)
      : items_(std::move(items)), project_(project), valuesReceived_(valuesReceived) {}

  STDMETHODIMP OnDataChange(DWORD transactionId, OPCHANDLE clientGroup, HRESULT masterQuality,
                            HRESULT masterError, DWORD count, OPCHANDLE* clientItems,
                            VARIANT* values, WORD* qualities, FILETIME* timeStamps,
                            HRESULT* errors) override;

 private:
  const std::shared_ptr<const ItemTable> items_;
  const BridgeProject& project_;   // used only while the table is open
  MetricCounter& valuesReceived_;  // likewise
};

class OPCShutdown final : public ComObject<IOPCShutdown> {
 public:
  explicit OPCShutdown(std::shared_ptr<WorkerWakeup> worker) : worker_(std::move(worker)) {}
  std::string LastReason() const;

  STDMETHODIMP ShutdownRequest(LPCWSTR reason) override;

 private:
  const std::shared_ptr<WorkerWakeup> worker_;
  mutable Mutex mutex_;
  std::string reason_ GUARDED_BY(mutex_);
};

}  // namespace tavrel
