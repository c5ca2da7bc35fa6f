// IOPCItemMgt of the simulated group.
#include <algorithm>

#include "common/wide_string.h"
#include "platform/com/com_api.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/com/variant_types.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcsim/for_each_handle.h"
#include "platform/opcsim/item_attributes_enumerator.h"
#include "platform/opcsim/simulated_group.h"
#include "platform/opcsim/variant_compare.h"

namespace tavrel::opcsim {

namespace {

// Ids the server cannot even parse: empty, or with an empty branch or item name.
bool IsMalformedItemId(WideStringView id) {
  if (id.empty() || id.front() == ItemCatalogue::kSeparator ||
      id.back() == ItemCatalogue::kSeparator) {
    return true;
  }
  const WCHAR twoSeparators[] = {ItemCatalogue::kSeparator, ItemCatalogue::kSeparator, 0};
  return id.find(twoSeparators) != WideStringView::npos;
}

}  // namespace

HRESULT SimulatedGroup::ValidateDefinition(const OPCITEMDEF& definition, OPCITEMRESULT* result,
                                           std::size_t* index) const {
  const WideStringView id = definition.szItemID != nullptr ? definition.szItemID : WideStringView();
  if (IsMalformedItemId(id)) return OPC_E_INVALIDITEMID;
  if (const HRESULT rejection = device_->Faults().ItemRejection(id); FAILED(rejection)) {
    return rejection;
  }
  const auto found = device_->Catalogue().FindItem(id);
  if (!found) return OPC_E_UNKNOWNITEMID;
  const ItemDefinition& item = device_->Catalogue().Item(*found);
  if (!IsSupportedVariantType(definition.vtRequestedDataType) ||
      !CanServeAs(item.canonicalType, definition.vtRequestedDataType)) {
    return OPC_E_BADTYPE;
  }
  result->vtCanonicalDataType = item.canonicalType;
  result->dwAccessRights = item.accessRights;
  *index = *found;
  return S_OK;
}

STDMETHODIMP SimulatedGroup::AddItems(DWORD count, OPCITEMDEF* items, OPCITEMRESULT** results,
                                      HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (count == 0 || items == nullptr || results == nullptr || errors == nullptr) {
    return E_INVALIDARG;
  }
  *results = nullptr;
  *errors = nullptr;
  TaskArray<OPCITEMRESULT> itemResults(count);
  TaskArray<HRESULT> itemErrors(count);
  if (!itemResults || !itemErrors) return E_OUTOFMEMORY;
  HRESULT overall = S_OK;
  {
    MutexLock lock(mutex_);
    for (DWORD i = 0; i < count; ++i) {
      std::size_t index = 0;
      itemErrors[i] = ValidateDefinition(items[i], &itemResults[i], &index);
      if (FAILED(itemErrors[i])) {
        overall = S_FALSE;
        continue;
      }
      GroupItem item;
      item.serverHandle = table_->NextItemHandle();
      item.clientHandle = items[i].hClient;
      item.index = index;
      item.requestedType = items[i].vtRequestedDataType;
      item.active = items[i].bActive != FALSE;
      itemResults[i].hServer = item.serverHandle;
      itemPositions_.emplace(item.serverHandle, items_.size());
      items_.push_back(std::move(item));
    }
    // New items are sent at the next pass, not only after a whole update period.
    nextUpdate_ = std::min(nextUpdate_, std::chrono::steady_clock::now());
  }
  device_->Scheduler().Wake();
  *results = itemResults.Release();
  *errors = itemErrors.Release();
  return overall;
}

STDMETHODIMP SimulatedGroup::ValidateItems(DWORD count, OPCITEMDEF* items, BOOL /*blobUpdate*/,
                                           OPCITEMRESULT** results, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (count == 0 || items == nullptr || results == nullptr || errors == nullptr) {
    return E_INVALIDARG;
  }
  *results = nullptr;
  *errors = nullptr;
  TaskArray<OPCITEMRESULT> itemResults(count);
  TaskArray<HRESULT> itemErrors(count);
  if (!itemResults || !itemErrors) return E_OUTOFMEMORY;
  HRESULT overall = S_OK;
  for (DWORD i = 0; i < count; ++i) {
    std::size_t index = 0;
    itemErrors[i] = ValidateDefinition(items[i], &itemResults[i], &index);
    if (FAILED(itemErrors[i])) overall = S_FALSE;
  }
  *results = itemResults.Release();
  *errors = itemErrors.Release();
  return overall;
}

STDMETHODIMP SimulatedGroup::RemoveItems(DWORD count, OPCHANDLE* serverItems, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  HRESULT overall;
  {
    MutexLock lock(mutex_);
    overall =
        ForEachHandle(count, serverItems, errors, [&](DWORD, OPCHANDLE handle) REQUIRES(mutex_) {
          return itemPositions_.erase(handle) > 0 ? S_OK : OPC_E_INVALIDHANDLE;
        });
    if (FAILED(overall)) return overall;
    std::erase_if(items_, [&](const GroupItem& item) REQUIRES(mutex_) {
      return itemPositions_.count(item.serverHandle) == 0;
    });
    for (std::size_t i = 0; i < items_.size(); ++i) itemPositions_[items_[i].serverHandle] = i;
  }
  // A data change naming removed items may be on its way; let it arrive first.
  device_->Scheduler().AwaitDispatch(this);
  return overall;
}

STDMETHODIMP SimulatedGroup::SetActiveState(DWORD count, OPCHANDLE* serverItems, BOOL active,
                                            HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  HRESULT overall;
  {
    MutexLock lock(mutex_);
    overall =
        ForEachHandle(count, serverItems, errors, [&](DWORD, OPCHANDLE handle) REQUIRES(mutex_) {
          GroupItem* item = FindLocked(handle);
          if (item == nullptr) return OPC_E_INVALIDHANDLE;
          if (active != FALSE && !item->active) item->sent = false;
          item->active = active != FALSE;
          return S_OK;
        });
    nextUpdate_ = std::min(nextUpdate_, std::chrono::steady_clock::now());
  }
  device_->Scheduler().Wake();
  return overall;
}

STDMETHODIMP SimulatedGroup::SetClientHandles(DWORD count, OPCHANDLE* serverItems,
                                              OPCHANDLE* clientItems, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (clientItems == nullptr) return E_INVALIDARG;
  MutexLock lock(mutex_);
  return ForEachHandle(count, serverItems, errors, [&](DWORD i, OPCHANDLE handle) REQUIRES(mutex_) {
    GroupItem* item = FindLocked(handle);
    if (item == nullptr) return OPC_E_INVALIDHANDLE;
    item->clientHandle = clientItems[i];
    return S_OK;
  });
}

STDMETHODIMP SimulatedGroup::SetDatatypes(DWORD count, OPCHANDLE* serverItems,
                                          VARTYPE* requestedDatatypes, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (requestedDatatypes == nullptr) return E_INVALIDARG;
  MutexLock lock(mutex_);
  return ForEachHandle(count, serverItems, errors, [&](DWORD i, OPCHANDLE handle) REQUIRES(mutex_) {
    GroupItem* item = FindLocked(handle);
    if (item == nullptr) return OPC_E_INVALIDHANDLE;
    const VARTYPE canonical = device_->Catalogue().Item(item->index).canonicalType;
    if (!IsSupportedVariantType(requestedDatatypes[i]) ||
        !CanServeAs(canonical, requestedDatatypes[i])) {
      return OPC_E_BADTYPE;
    }
    item->requestedType = requestedDatatypes[i];
    item->sent = false;  // the value changes its form
    return S_OK;
  });
}

STDMETHODIMP SimulatedGroup::CreateEnumerator(REFIID iid, LPUNKNOWN* enumerator) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (enumerator == nullptr) return E_INVALIDARG;
  *enumerator = nullptr;
  if (iid != IID_IEnumOPCItemAttributes) return E_NOINTERFACE;
  std::vector<ItemAttributes> snapshot;
  {
    MutexLock lock(mutex_);
    for (const GroupItem& item : items_) {
      const ItemDefinition& definition = device_->Catalogue().Item(item.index);
      snapshot.push_back({definition.itemId, item.active, item.clientHandle, item.serverHandle,
                          definition.accessRights, item.requestedType, definition.canonicalType,
                          definition.analog, definition.euLow, definition.euHigh});
    }
  }
  // S_FALSE: the group has no items; the (empty) enumerator is still handed out.
  const HRESULT hr = snapshot.empty() ? S_FALSE : S_OK;
  *enumerator = CreateItemAttributesEnumerator(std::move(snapshot)).Detach();
  return hr;
}

}  // namespace tavrel::opcsim
