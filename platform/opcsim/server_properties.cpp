// IOPCItemProperties of the simulated server: the properties of item_properties.h.
#include "platform/com/com_api.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcsim/item_properties.h"
#include "platform/opcsim/simulated_server.h"

namespace tavrel::opcsim {

STDMETHODIMP SimulatedServer::QueryAvailableProperties(LPWSTR itemId, DWORD* count,
                                                       DWORD** propertyIds, LPWSTR** descriptions,
                                                       VARTYPE** dataTypes) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (itemId == nullptr || count == nullptr || propertyIds == nullptr || descriptions == nullptr ||
      dataTypes == nullptr) {
    return E_INVALIDARG;
  }
  *count = 0;
  *propertyIds = nullptr;
  *descriptions = nullptr;
  *dataTypes = nullptr;
  const auto item = device_->Catalogue().FindItem(itemId);
  if (!item) return OPC_E_UNKNOWNITEMID;
  const std::vector<PropertyInfo> properties =
      AvailableProperties(device_->Catalogue().Item(*item));
  TaskArray<DWORD> ids(properties.size());
  TaskArray<LPWSTR> texts(properties.size());
  TaskArray<VARTYPE> types(properties.size());
  if (!ids || !texts || !types) return E_OUTOFMEMORY;
  for (std::size_t i = 0; i < properties.size(); ++i) {
    ids[i] = properties[i].id;
    types[i] = properties[i].type;
    texts[i] = TaskMemStringDuplicate(properties[i].description);
    if (texts[i] == nullptr) {
      for (std::size_t j = 0; j < i; ++j) CoTaskMemFree(texts[j]);
      return E_OUTOFMEMORY;
    }
  }
  *count = static_cast<DWORD>(properties.size());
  *propertyIds = ids.Release();
  *descriptions = texts.Release();
  *dataTypes = types.Release();
  return S_OK;
}

STDMETHODIMP SimulatedServer::GetItemProperties(LPWSTR itemId, DWORD count, DWORD* propertyIds,
                                                VARIANT** data, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (itemId == nullptr || count == 0 || propertyIds == nullptr || data == nullptr ||
      errors == nullptr) {
    return E_INVALIDARG;
  }
  *data = nullptr;
  *errors = nullptr;
  const auto item = device_->Catalogue().FindItem(itemId);
  if (!item) return OPC_E_UNKNOWNITEMID;
  TaskArray<VARIANT> values(count);  // zero-filled: VT_EMPTY
  TaskArray<HRESULT> results(count);
  if (!values || !results) return E_OUTOFMEMORY;
  const auto now = std::chrono::steady_clock::now();
  HRESULT overall = S_OK;
  for (DWORD i = 0; i < count; ++i) {
    OwnedVariant value;
    results[i] = ReadProperty(*device_, *item, propertyIds[i], now, &value);
    if (FAILED(results[i])) overall = S_FALSE;
    value.MoveTo(&values[i]);
  }
  *data = values.Release();
  *errors = results.Release();
  return overall;
}

STDMETHODIMP SimulatedServer::LookupItemIDs(LPWSTR itemId, DWORD count, DWORD* propertyIds,
                                            LPWSTR** newItemIds, HRESULT** errors) {
  if (const HRESULT hr = Admit(); FAILED(hr)) return hr;
  if (itemId == nullptr || count == 0 || propertyIds == nullptr || newItemIds == nullptr ||
      errors == nullptr) {
    return E_INVALIDARG;
  }
  *newItemIds = nullptr;
  *errors = nullptr;
  if (!device_->Catalogue().FindItem(itemId)) return OPC_E_UNKNOWNITEMID;
  // No property of a simulated item is an item of its own.
  TaskArray<LPWSTR> ids(count);
  TaskArray<HRESULT> results(count);
  if (!ids || !results) return E_OUTOFMEMORY;
  for (DWORD i = 0; i < count; ++i) results[i] = OPC_E_INVALID_PID;
  *newItemIds = ids.Release();
  *errors = results.Release();
  return S_FALSE;
}

}  // namespace tavrel::opcsim
