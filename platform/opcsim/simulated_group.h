// SimulatedGroup: an OPC group of a simulated server.
//
// It offers IOPCGroupStateMgt, IOPCItemMgt, IOPCSyncIO, IOPCAsyncIO2, IOPCAsyncIO,
// IConnectionPointContainer (the IOPCDataCallback point) and IDataObject (DA 1.0 streams);
// a group of a DA 1.0 server offers neither IOPCAsyncIO2 nor the connection point.
//
// Subscription: while the group is active, the update thread looks at its active, readable
// items once per update rate and sends those whose value or quality changed since they were
// last sent (for analog items with a dead band: whose value moved by more than the band's
// share of the item's range) in one OnDataChange with transaction id 0, and to DA 1.0 data
// advises as a stream. The first pass after an item was added or activated sends it anyway.
// Nothing is sent, and nothing counts as sent, while no sink is advised.
//
// Asynchronous calls check their items at once (the per-item errors they return) and complete
// later on the update thread: Refresh2 sends every active item through OnDataChange with the
// caller's transaction id; Read sends OnReadComplete; Write writes and then sends
// OnWriteComplete with each item's outcome; Cancel2 of a call not yet completed sends
// OnCancelComplete instead. The DA 1.0 calls complete through the advise named by their
// connection argument. Sync and async calls fail with CONNECT_E_NOCONNECTION when the sink
// they need is not advised.
//
// After RemoveItems, RemoveGroup or the end of the group returns, no callback about the
// removed items or group is under way any more (unless the call was made from inside one).
#pragma once

#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

#include "common/mutex.h"
#include "common/wide_string.h"
#include "platform/com/com_api.h"
#include "platform/com/com_object.h"
#include "platform/com/connection_point.h"
#include "platform/opcda/opc_interfaces.h"
#include "platform/opcsim/data_report.h"
#include "platform/opcsim/group_table.h"
#include "platform/opcsim/simulated_device.h"
#include "platform/opcsim/update_scheduler.h"

namespace tavrel::opcsim {

class SimulatedGroup final
    : public ComObject<IOPCGroupStateMgt, IOPCItemMgt, IOPCSyncIO, IOPCAsyncIO2, IOPCAsyncIO,
                       IConnectionPointContainer, IDataObject>,
      private ScheduledWork {
 public:
  struct Parameters {
    WideString name;
    bool active = true;
    DWORD requestedUpdateRate = 0;
    OPCHANDLE clientHandle = 0;
    LONG timeBias = 0;
    float percentDeadband = 0.0f;
    LCID locale = 0;
  };

  SimulatedGroup(std::shared_ptr<SimulatedDevice> device, std::shared_ptr<GroupTable> table,
                 std::uint64_t epoch, OPCHANDLE serverHandle, const Parameters& parameters);
  ~SimulatedGroup() override;

  OPCHANDLE ServerHandle() const { return serverHandle_; }
  DWORD UpdateRate() const;
  WideString Name() const;
  // Ends the group's work: no further updates or completions. Called when the group leaves
  // its server; idempotent.
  void Withdraw();

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;

  // IOPCGroupStateMgt (simulated_group.cpp)
  STDMETHODIMP GetState(DWORD* updateRate, BOOL* active, LPWSTR* name, LONG* timeBias,
                        FLOAT* percentDeadband, DWORD* lcid, OPCHANDLE* clientGroup,
                        OPCHANDLE* serverGroup) override;
  STDMETHODIMP SetState(DWORD* requestedUpdateRate, DWORD* revisedUpdateRate, BOOL* active,
                        LONG* timeBias, FLOAT* percentDeadband, DWORD* lcid,
                        OPCHANDLE* clientGroup) override;
  STDMETHODIMP SetName(LPCWSTR name) override;
  STDMETHODIMP CloneGroup(LPCWSTR name, REFIID iid, LPUNKNOWN* clone) override;

  // IOPCItemMgt (group_items.cpp)
  STDMETHODIMP AddItems(DWORD count, OPCITEMDEF* items, OPCITEMRESULT** results,
                        HRESULT** errors) override;
  STDMETHODIMP ValidateItems(DWORD count, OPCITEMDEF* items, BOOL blobUpdate,
                             OPCITEMRESULT** results, HRESULT** errors) override;
  STDMETHODIMP RemoveItems(DWORD count, OPCHANDLE* serverItems, HRESULT** errors) override;
  STDMETHODIMP SetActiveState(DWORD count, OPCHANDLE* serverItems, BOOL active,
                              HRESULT** errors) override;
  STDMETHODIMP SetClientHandles(DWORD count, OPCHANDLE* serverItems, OPCHANDLE* clientItems,
                                HRESULT** errors) override;
  STDMETHODIMP SetDatatypes(DWORD count, OPCHANDLE* serverItems, VARTYPE* requestedDatatypes,
                            HRESULT** errors) override;
  STDMETHODIMP CreateEnumerator(REFIID iid, LPUNKNOWN* enumerator) override;

  // IOPCSyncIO (group_sync_io.cpp)
  STDMETHODIMP Read(OPCDATASOURCE source, DWORD count, OPCHANDLE* serverItems,
                    OPCITEMSTATE** values, HRESULT** errors) override;
  STDMETHODIMP Write(DWORD count, OPCHANDLE* serverItems, VARIANT* values,
                     HRESULT** errors) override;

  // IOPCAsyncIO2 (group_async_io.cpp)
  STDMETHODIMP Read(DWORD count, OPCHANDLE* serverItems, DWORD transactionId, DWORD* cancelId,
                    HRESULT** errors) override;
  STDMETHODIMP Write(DWORD count, OPCHANDLE* serverItems, VARIANT* values, DWORD transactionId,
                     DWORD* cancelId, HRESULT** errors) override;
  STDMETHODIMP Refresh2(OPCDATASOURCE source, DWORD transactionId, DWORD* cancelId) override;
  STDMETHODIMP Cancel2(DWORD cancelId) override;
  STDMETHODIMP SetEnable(BOOL enable) override;
  STDMETHODIMP GetEnable(BOOL* enable) override;

  // IOPCAsyncIO, DA 1.0 (group_async_io.cpp)
  STDMETHODIMP Read(DWORD connection, OPCDATASOURCE source, DWORD count, OPCHANDLE* serverItems,
                    DWORD* transactionId, HRESULT** errors) override;
  STDMETHODIMP Write(DWORD connection, DWORD count, OPCHANDLE* serverItems, VARIANT* values,
                     DWORD* transactionId, HRESULT** errors) override;
  STDMETHODIMP Refresh(DWORD connection, OPCDATASOURCE source, DWORD* transactionId) override;
  STDMETHODIMP Cancel(DWORD transactionId) override;

  // IConnectionPointContainer (simulated_group.cpp)
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // IDataObject: advises of DA 1.0 streams (group_data_object.cpp)
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* formatIn, FORMATETC* formatOut) override;
  STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD advf, IAdviseSink* sink,
                       DWORD* connection) override;
  STDMETHODIMP DUnadvise(DWORD connection) override;
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advises) override;

 private:
  using SteadyTime = std::chrono::steady_clock::time_point;

  struct GroupItem {
    OPCHANDLE serverHandle = 0;
    OPCHANDLE clientHandle = 0;
    std::size_t index = 0;  // in the catalogue
    VARTYPE requestedType = VT_EMPTY;
    bool active = true;
    bool sent = false;  // lastValue, lastQuality and lastError hold what was sent last
    OwnedVariant lastValue;
    WORD lastQuality = 0;
    HRESULT lastError = S_OK;
  };

  enum class JobKind { kRefresh, kRead, kWrite, kCancelled };
  struct Job {
    JobKind kind = JobKind::kRefresh;
    bool streamed = false;  // a DA 1.0 call, completed through the advise `connection`
    DWORD connection = 0;
    DWORD transactionId = 0;
    DWORD cancelId = 0;
    std::vector<OPCHANDLE> serverHandles;
    std::vector<OwnedVariant> values;  // kWrite
  };

  struct StreamAdvise {
    DWORD connection;
    CLIPFORMAT format;
    ComPtr<IAdviseSink> sink;
  };

  HRESULT Admit() const { return device_->Faults().AdmitCall(epoch_); }
  DWORD ReviseRate(DWORD requested) const;
  GroupItem* FindLocked(OPCHANDLE serverHandle) REQUIRES(mutex_);
  // The value of `item` as the client asked for it (its requested type).
  ItemSample SampleLocked(const GroupItem& item, SteadyTime now) const REQUIRES(mutex_);
  bool ChangedLocked(const GroupItem& item, const ItemSample& sample) const REQUIRES(mutex_);
  HRESULT ValidateDefinition(const OPCITEMDEF& definition, OPCITEMRESULT* result,
                             std::size_t* index) const;
  // Queues a job and wakes the update thread; returns its cancel id, or for a DA 1.0 call the
  // transaction id it was given.
  DWORD QueueJob(Job job);
  // Checks the items of an asynchronous call (invalid handles, access rights) into `*errors`
  // and puts those that passed, with their values, into `job`; S_FALSE when one failed.
  HRESULT CheckItems(DWORD count, const OPCHANDLE* serverItems, const VARIANT* values,
                     HRESULT** errors, Job* job);
  bool HasActiveItems() const;
  bool HasDataSink() const;
  bool HasAdvise(DWORD connection, bool forWrite) const;
  void ResendAllLocked() REQUIRES(mutex_);
  // The advise of a DA 1.0 call: data formats for reads and refreshes, the write-complete
  // format for writes.
  const StreamAdvise* FindAdviseLocked(DWORD connection, bool forWrite) const REQUIRES(mutex_);

  // The update thread's side (group_updates.cpp).
  void Collect(SteadyTime now, DeliveryList& out, SteadyTime* wakeAt) override;
  void SendChangesLocked(SteadyTime now, DeliveryList& out) REQUIRES(mutex_);
  void CompleteJobLocked(Job& job, SteadyTime now, DeliveryList& out) REQUIRES(mutex_);
  DataReport ReportLocked(const std::vector<OPCHANDLE>& serverHandles, SteadyTime now,
                          DWORD transactionId) REQUIRES(mutex_);
  void DeliverReportLocked(DataReport report, bool readComplete, const Job* streamedJob,
                           DeliveryList& out) REQUIRES(mutex_);

  const std::shared_ptr<SimulatedDevice> device_;
  const std::shared_ptr<GroupTable> table_;
  const std::uint64_t epoch_;
  const OPCHANDLE serverHandle_;
  ConnectionPoint dataPoint_;

  mutable Mutex mutex_;  // guards what follows
  WideString name_ GUARDED_BY(mutex_);
  bool active_ GUARDED_BY(mutex_);
  DWORD updateRate_ GUARDED_BY(mutex_);
  OPCHANDLE clientHandle_ GUARDED_BY(mutex_);
  LONG timeBias_ GUARDED_BY(mutex_);
  float percentDeadband_ GUARDED_BY(mutex_);
  LCID locale_ GUARDED_BY(mutex_);
  bool enabled_ GUARDED_BY(mutex_) = true;
  bool withdrawn_ GUARDED_BY(mutex_) = false;
  std::vector<GroupItem> items_ GUARDED_BY(mutex_);  // in the order they were added
  std::unordered_map<OPCHANDLE, std::size_t> itemPositions_ GUARDED_BY(mutex_);
  std::deque<Job> jobs_ GUARDED_BY(mutex_);
  DWORD nextCancelId_ GUARDED_BY(mutex_) = 1;
  DWORD nextTransactionId_ GUARDED_BY(mutex_) = 1;
  std::vector<StreamAdvise> streamAdvises_ GUARDED_BY(mutex_);
  DWORD nextConnection_ GUARDED_BY(mutex_) = 1;
  SteadyTime nextUpdate_ GUARDED_BY(mutex_);
};

}  // namespace tavrel::opcsim
