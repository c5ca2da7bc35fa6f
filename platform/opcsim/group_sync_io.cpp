// IOPCSyncIO of the simulated group.
//
// Reads from the cache and from the device give the same values (the simulation has no
// separate device to ask), except that a cache read of an inactive item or group gives the
// quality "out of service", as the cache of an inactive item is not kept up to date.
#include "platform/com/task_memory_ptr.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcsim/for_each_handle.h"
#include "platform/opcsim/simulated_group.h"

namespace tavrel::opcsim {

STDMETHODIMP SimulatedGroup::Read(OPCDATASOURCE source, DWORD count, OPCHANDLE* serverItems,
                                  OPCITEMSTATE** values, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (count == 0 || serverItems == nullptr || values == nullptr || errors == nullptr ||
      (source != OPC_DS_CACHE && source != OPC_DS_DEVICE)) {
    return E_INVALIDARG;
  }
  *values = nullptr;
  *errors = nullptr;
  TaskArray<OPCITEMSTATE> states(count);  // zero-filled: VT_EMPTY values
  if (!states) return E_OUTOFMEMORY;
  const auto now = std::chrono::steady_clock::now();
  HRESULT overall;
  {
    MutexLock lock(mutex_);
    overall = ForEachHandle(
        count, serverItems, errors, [&](DWORD i, OPCHANDLE handle) REQUIRES(mutex_) -> HRESULT {
          const GroupItem* item = FindLocked(handle);
          if (item == nullptr) return OPC_E_INVALIDHANDLE;
          ItemSample sample = SampleLocked(*item, now);
          if (source == OPC_DS_CACHE && (!active_ || !item->active) && SUCCEEDED(sample.error)) {
            sample.quality = OPC_QUALITY_OUT_OF_SERVICE;
          }
          states[i].hClient = item->clientHandle;
          states[i].ftTimeStamp = sample.timeStamp;
          states[i].wQuality = sample.quality;
          if (SUCCEEDED(sample.error)) sample.value.MoveTo(&states[i].vDataValue);
          return sample.error;
        });
  }
  if (FAILED(overall)) return overall;
  *values = states.Release();
  return overall;
}

STDMETHODIMP SimulatedGroup::Write(DWORD count, OPCHANDLE* serverItems, VARIANT* values,
                                   HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (values == nullptr) return E_INVALIDARG;
  MutexLock lock(mutex_);
  return ForEachHandle(
      count, serverItems, errors, [&](DWORD i, OPCHANDLE handle) REQUIRES(mutex_) -> HRESULT {
        const GroupItem* item = FindLocked(handle);
        return item != nullptr ? device_->Write(item->index, values[i]) : OPC_E_INVALIDHANDLE;
      });
}

}  // namespace tavrel::opcsim
