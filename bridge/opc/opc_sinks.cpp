#include "bridge/opc/opc_sinks.h"

#include "common/code_page.h"
#include "common/wide_string.h"

namespace tavrel {

STDMETHODIMP OPCCallback::OnDataChange(DWORD /*transactionId*/, OPCHANDLE /*clientGroup*/,
                                       HRESULT /*masterQuality*/, HRESULT /*masterError*/,
                                       DWORD count, OPCHANDLE* clientItems, VARIANT* values,
                                       WORD* qualities, FILETIME* timeStamps, HRESULT* errors) {
  if (clientItems == nullptr || values == nullptr || qualities == nullptr ||
      timeStamps == nullptr || errors == nullptr) {
    return S_OK;
  }
  const ItemTable::Reader reader(*items_);
  if (reader.Closed()) return S_OK;
  ValuePushSink* const push = project_.PushSink();
  DWORD published = 0;
  for (DWORD i = 0; i < count; ++i) {
    if (FAILED(errors[i]) || clientItems[i] == 0) continue;
    if (const Item* item = reader.Find(clientItems[i])) {
      item->Publish(values[i], qualities[i], timeStamps[i], push);
      ++published;
    }
  }
  if (published != 0) valuesReceived_.Increment(published);
  return S_OK;
}

std::string OPCShutdown::LastReason() const {
  MutexLock lock(mutex_);
  return reason_;
}

STDMETHODIMP OPCShutdown::ShutdownRequest(LPCWSTR reason) {
  {
    MutexLock lock(mutex_);
    reason_ = reason != nullptr ? WideToAnsi(WideStringView(reason)) : std::string();
  }
  worker_->RequestRestart();
  return S_OK;
}

}  // namespace tavrel
