// IOPCAsyncIO2 and the DA 1.0 IOPCAsyncIO of the simulated group: the calls check their items
// and queue a job, which the update thread completes (group_updates.cpp).
#include <algorithm>

#include "platform/opcda/opc_error.h"
#include "platform/opcsim/for_each_handle.h"
#include "platform/opcsim/simulated_group.h"

namespace tavrel::opcsim {

namespace {

enum class Access { kRead, kWrite };

bool Allows(DWORD rights, Access access) {
  return (rights & (access == Access::kRead ? OPC_READABLE : OPC_WRITEABLE)) != 0;
}

}  // namespace

DWORD SimulatedGroup::QueueJob(Job job) {
  DWORD id;
  {
    MutexLock lock(mutex_);
    job.cancelId = nextCancelId_++;
    if (job.streamed) job.transactionId = nextTransactionId_++;
    id = job.streamed ? job.transactionId : job.cancelId;
    jobs_.push_back(std::move(job));
  }
  device_->Scheduler().Wake();
  return id;
}

HRESULT SimulatedGroup::CheckItems(DWORD count, const OPCHANDLE* serverItems, const VARIANT* values,
                                   HRESULT** errors, Job* job) {
  const Access access = job->kind == JobKind::kWrite ? Access::kWrite : Access::kRead;
  MutexLock lock(mutex_);
  return ForEachHandle(count, serverItems, errors,
                       [&](DWORD i, OPCHANDLE handle) REQUIRES(mutex_) -> HRESULT {
                         const GroupItem* item = FindLocked(handle);
                         if (item == nullptr) return OPC_E_INVALIDHANDLE;
                         if (!Allows(device_->Catalogue().Item(item->index).accessRights, access)) {
                           return OPC_E_BADRIGHTS;
                         }
                         job->serverHandles.push_back(handle);
                         if (values != nullptr) job->values.emplace_back(values[i]);
                         return S_OK;
                       });
}

STDMETHODIMP SimulatedGroup::Read(DWORD count, OPCHANDLE* serverItems, DWORD transactionId,
                                  DWORD* cancelId, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (cancelId == nullptr) return E_INVALIDARG;
  if (!HasDataSink()) return CONNECT_E_NOCONNECTION;
  Job job;
  job.kind = JobKind::kRead;
  job.transactionId = transactionId;
  const HRESULT hr = CheckItems(count, serverItems, nullptr, errors, &job);
  if (FAILED(hr)) return hr;
  *cancelId = job.serverHandles.empty() ? 0 : QueueJob(std::move(job));
  return hr;
}

STDMETHODIMP SimulatedGroup::Write(DWORD count, OPCHANDLE* serverItems, VARIANT* values,
                                   DWORD transactionId, DWORD* cancelId, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (cancelId == nullptr || values == nullptr) return E_INVALIDARG;
  if (!HasDataSink()) return CONNECT_E_NOCONNECTION;
  Job job;
  job.kind = JobKind::kWrite;
  job.transactionId = transactionId;
  const HRESULT hr = CheckItems(count, serverItems, values, errors, &job);
  if (FAILED(hr)) return hr;
  *cancelId = job.serverHandles.empty() ? 0 : QueueJob(std::move(job));
  return hr;
}

bool SimulatedGroup::HasActiveItems() const {
  MutexLock lock(mutex_);
  return active_ && std::any_of(items_.begin(), items_.end(),
                                [](const GroupItem& item) { return item.active; });
}

STDMETHODIMP SimulatedGroup::Refresh2(OPCDATASOURCE source, DWORD transactionId, DWORD* cancelId) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (cancelId == nullptr || (source != OPC_DS_CACHE && source != OPC_DS_DEVICE)) {
    return E_INVALIDARG;
  }
  if (!HasDataSink()) return CONNECT_E_NOCONNECTION;
  if (!HasActiveItems()) return E_FAIL;
  device_->Journal().Note("Refresh2", Name(), transactionId);
  Job job;
  job.kind = JobKind::kRefresh;
  job.transactionId = transactionId;
  *cancelId = QueueJob(std::move(job));
  return S_OK;
}

STDMETHODIMP SimulatedGroup::Cancel2(DWORD cancelId) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  {
    MutexLock lock(mutex_);
    const auto found = std::find_if(jobs_.begin(), jobs_.end(), [&](const Job& job) {
      return !job.streamed && job.kind != JobKind::kCancelled && job.cancelId == cancelId;
    });
    if (found == jobs_.end()) return E_FAIL;  // unknown, or completed already
    found->kind = JobKind::kCancelled;
  }
  device_->Scheduler().Wake();
  return S_OK;
}

STDMETHODIMP SimulatedGroup::SetEnable(BOOL enable) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (!HasDataSink()) return CONNECT_E_NOCONNECTION;
  MutexLock lock(mutex_);
  enabled_ = enable != FALSE;
  return S_OK;
}

STDMETHODIMP SimulatedGroup::GetEnable(BOOL* enable) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (enable == nullptr) return E_INVALIDARG;
  if (!HasDataSink()) return CONNECT_E_NOCONNECTION;
  MutexLock lock(mutex_);
  *enable = enabled_ ? TRUE : FALSE;
  return S_OK;
}

bool SimulatedGroup::HasAdvise(DWORD connection, bool forWrite) const {
  MutexLock lock(mutex_);
  return FindAdviseLocked(connection, forWrite) != nullptr;
}

STDMETHODIMP SimulatedGroup::Read(DWORD connection, OPCDATASOURCE source, DWORD count,
                                  OPCHANDLE* serverItems, DWORD* transactionId, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (transactionId == nullptr || (source != OPC_DS_CACHE && source != OPC_DS_DEVICE)) {
    return E_INVALIDARG;
  }
  if (!HasAdvise(connection, false)) return CONNECT_E_NOCONNECTION;
  Job job;
  job.kind = JobKind::kRead;
  job.streamed = true;
  job.connection = connection;
  const HRESULT hr = CheckItems(count, serverItems, nullptr, errors, &job);
  if (FAILED(hr)) return hr;
  *transactionId = job.serverHandles.empty() ? 0 : QueueJob(std::move(job));
  return hr;
}

STDMETHODIMP SimulatedGroup::Write(DWORD connection, DWORD count, OPCHANDLE* serverItems,
                                   VARIANT* values, DWORD* transactionId, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (transactionId == nullptr || values == nullptr) return E_INVALIDARG;
  if (!HasAdvise(connection, true)) return CONNECT_E_NOCONNECTION;
  Job job;
  job.kind = JobKind::kWrite;
  job.streamed = true;
  job.connection = connection;
  const HRESULT hr = CheckItems(count, serverItems, values, errors, &job);
  if (FAILED(hr)) return hr;
  *transactionId = job.serverHandles.empty() ? 0 : QueueJob(std::move(job));
  return hr;
}

STDMETHODIMP SimulatedGroup::Refresh(DWORD connection, OPCDATASOURCE source, DWORD* transactionId) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (transactionId == nullptr || (source != OPC_DS_CACHE && source != OPC_DS_DEVICE)) {
    return E_INVALIDARG;
  }
  if (!HasAdvise(connection, false)) return CONNECT_E_NOCONNECTION;
  if (!HasActiveItems()) return E_FAIL;
  Job job;
  job.kind = JobKind::kRefresh;
  job.streamed = true;
  job.connection = connection;
  *transactionId = QueueJob(std::move(job));
  return S_OK;
}

STDMETHODIMP SimulatedGroup::Cancel(DWORD transactionId) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  MutexLock lock(mutex_);
  const auto found = std::find_if(jobs_.begin(), jobs_.end(), [&](const Job& job) {
    return job.streamed && job.transactionId == transactionId;
  });
  if (found == jobs_.end()) return E_FAIL;
  jobs_.erase(found);  // DA 1.0 has no cancel notification
  return S_OK;
}

}  // namespace tavrel::opcsim
