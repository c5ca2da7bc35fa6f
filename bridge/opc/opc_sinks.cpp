#include "bridge/opc/opc_sinks.h"

#include "common/code_page.h"

STDMETHODIMP OPCCallback::OnDataChange(DWORD /*transactionId*/, OPCHANDLE /*clientGroup*/,
                                       HRESULT /*masterQuality*/, HRESULT /*masterError*/,
                                       DWORD count, OPCHANDLE* clientItems, VARIANT* values,
                                       WORD* qualities, FILETIME* timeStamps, HRESULT* errors) {
  Deliver(count, clientItems, values, qualities, timeStamps, errors, true);
  return S_OK;
}

STDMETHODIMP OPCCallback::OnReadComplete(DWORD /*transactionId*/, OPCHANDLE /*clientGroup*/,
                                         HRESULT /*masterQuality*/, HRESULT /*masterError*/,
                                         DWORD count, OPCHANDLE* clientItems, VARIANT* values,
                                         WORD* qualities, FILETIME* timeStamps, HRESULT* errors) {
  Deliver(count, clientItems, values, qualities, timeStamps, errors, false);
  return S_OK;
}

void OPCCallback::Deliver(DWORD count, const OPCHANDLE* clientItems, const VARIANT* values,
                          const WORD* qualities, const FILETIME* timeStamps, const HRESULT* errors,
                          bool publish) {
  if (clientItems == nullptr || values == nullptr || qualities == nullptr ||
      timeStamps == nullptr || errors == nullptr) {
    return;
  }
  const ItemTable::Reader reader(*items_);
  if (reader.Closed()) return;
  ValuePushSink* const push = project_.PushSink();
  for (DWORD i = 0; i < count; ++i) {
    if (FAILED(errors[i]) || clientItems[i] == 0) continue;
    Item* const item = reader.Find(clientItems[i]);
    if (item == nullptr) continue;
    if (publish) {
      item->StoreAndPublish(values[i], qualities[i], timeStamps[i], push);
    } else {
      item->Store(values[i], qualities[i], timeStamps[i]);
    }
  }
}

std::string OPCShutdown::LastReason() const {
  std::lock_guard lock(mutex_);
  return reason_;
}

STDMETHODIMP OPCShutdown::ShutdownRequest(LPCWSTR reason) {
  {
    std::lock_guard lock(mutex_);
    reason_ = reason != nullptr ? WideToAnsi(std::u16string_view(reason)) : std::string();
  }
  PostThreadMessage(workerId_.load(), WM_OPC_RESTART, 0, 0);
  return S_OK;
}
