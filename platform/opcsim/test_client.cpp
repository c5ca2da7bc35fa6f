#include "platform/opcsim/test_client.h"

#include "platform/com/task_memory_ptr.h"

namespace tavrel::opcsim {

ReceivedCall RecordingCallback::DataCall(ReceivedCall::Kind kind, DWORD transactionId,
                                         OPCHANDLE group, HRESULT masterQuality,
                                         HRESULT masterError, DWORD count,
                                         const OPCHANDLE* clientItems, const VARIANT* values,
                                         const WORD* qualities, const FILETIME* timeStamps,
                                         const HRESULT* errors) {
  ReceivedCall call{kind, transactionId, group, masterQuality, masterError, {}, {}, {}};
  for (DWORD i = 0; i < count; ++i) {
    call.items.push_back(ReceivedItem{clientItems[i], OwnedVariant(values[i]), qualities[i],
                                      timeStamps[i], errors[i]});
  }
  return call;
}

STDMETHODIMP RecordingCallback::OnDataChange(DWORD transactionId, OPCHANDLE clientGroup,
                                             HRESULT masterQuality, HRESULT masterError,
                                             DWORD count, OPCHANDLE* clientItems, VARIANT* values,
                                             WORD* qualities, FILETIME* timeStamps,
                                             HRESULT* errors) {
  Record(DataCall(ReceivedCall::kDataChange, transactionId, clientGroup, masterQuality, masterError,
                  count, clientItems, values, qualities, timeStamps, errors));
  if (onDataChange) onDataChange();
  return S_OK;
}

STDMETHODIMP RecordingCallback::OnReadComplete(DWORD transactionId, OPCHANDLE clientGroup,
                                               HRESULT masterQuality, HRESULT masterError,
                                               DWORD count, OPCHANDLE* clientItems, VARIANT* values,
                                               WORD* qualities, FILETIME* timeStamps,
                                               HRESULT* errors) {
  Record(DataCall(ReceivedCall::kReadComplete, transactionId, clientGroup, masterQuality,
                  masterError, count, clientItems, values, qualities, timeStamps, errors));
  return S_OK;
}

STDMETHODIMP RecordingCallback::OnWriteComplete(DWORD transactionId, OPCHANDLE clientGroup,
                                                HRESULT masterError, DWORD count,
                                                OPCHANDLE* clientItems, HRESULT* errors) {
  ReceivedCall call{
      ReceivedCall::kWriteComplete, transactionId, clientGroup, S_OK, masterError, {}, {}, {}};
  for (DWORD i = 0; i < count; ++i) {
    call.items.push_back(ReceivedItem{clientItems[i], OwnedVariant(), 0, FILETIME{}, errors[i]});
  }
  Record(std::move(call));
  return S_OK;
}

STDMETHODIMP RecordingCallback::OnCancelComplete(DWORD transactionId, OPCHANDLE clientGroup) {
  Record(ReceivedCall{
      ReceivedCall::kCancelComplete, transactionId, clientGroup, S_OK, S_OK, {}, {}, {}});
  return S_OK;
}

void RecordingCallback::Record(ReceivedCall call) {
  call.arrival = std::chrono::steady_clock::now();
  call.thread = std::this_thread::get_id();
  {
    MutexLock lock(mutex_);
    calls_.push_back(std::move(call));
  }
  changed_.notify_all();
}

std::vector<ReceivedCall> RecordingCallback::WaitFor(
    const std::function<bool(const std::vector<ReceivedCall>&)>& done,
    std::chrono::milliseconds timeout) {
  MutexLock lock(mutex_);
  changed_.wait_for(lock, timeout, [&]() REQUIRES(mutex_) { return done(calls_); });
  return calls_;
}

std::vector<ReceivedCall> RecordingCallback::WaitForCalls(ReceivedCall::Kind kind,
                                                          std::size_t count,
                                                          std::chrono::milliseconds timeout) {
  return WaitFor([&](const auto& calls) { return CountOf(calls, kind) >= count; }, timeout);
}

std::vector<ReceivedCall> RecordingCallback::Calls() const {
  MutexLock lock(mutex_);
  return calls_;
}

void RecordingCallback::Clear() {
  MutexLock lock(mutex_);
  calls_.clear();
}

STDMETHODIMP RecordingShutdown::ShutdownRequest(LPCWSTR reason) {
  {
    MutexLock lock(mutex_);
    reasons_.emplace_back(reason != nullptr ? reason : OLESTR(""));
  }
  changed_.notify_all();
  return S_OK;
}

std::vector<WideString> RecordingShutdown::WaitForReasons(std::size_t count,
                                                          std::chrono::milliseconds timeout) {
  MutexLock lock(mutex_);
  changed_.wait_for(lock, timeout, [&]() REQUIRES(mutex_) { return reasons_.size() >= count; });
  return reasons_;
}

OwnedVariant ValuePropertyOf(IOPCItemProperties* properties, WideString itemId) {
  DWORD id = OPC_PROPERTY_VALUE;
  VARIANT* values = nullptr;
  HRESULT* errors = nullptr;
  const HRESULT hr = properties->GetItemProperties(itemId.data(), 1, &id, &values, &errors);
  EXPECT_EQ(hr, S_OK);
  OwnedVariant value;
  if (SUCCEEDED(hr)) {
    EXPECT_EQ(errors[0], S_OK);
    value = OwnedVariant(values[0]);
    VariantClear(&values[0]);
  }
  CoTaskMemFree(values);
  CoTaskMemFree(errors);
  return value;
}

std::size_t CountOf(const std::vector<ReceivedCall>& calls, ReceivedCall::Kind kind) {
  std::size_t count = 0;
  for (const ReceivedCall& call : calls) count += call.kind == kind ? 1 : 0;
  return count;
}

STDMETHODIMP_(void) RecordingAdviseSink::OnDataChange(FORMATETC* format, STGMEDIUM* medium) {
  const auto* data = static_cast<const unsigned char*>(GlobalLock(medium->hGlobal));
  Stream stream{format->cfFormat,
                std::vector<unsigned char>(data, data + GlobalSize(medium->hGlobal))};
  GlobalUnlock(medium->hGlobal);
  {
    MutexLock lock(mutex_);
    streams_.push_back(std::move(stream));
  }
  changed_.notify_all();
}

std::vector<RecordingAdviseSink::Stream> RecordingAdviseSink::WaitForStreams(std::size_t count) {
  MutexLock lock(mutex_);
  changed_.wait_for(lock, std::chrono::seconds(5),
                    [&]() REQUIRES(mutex_) { return streams_.size() >= count; });
  return streams_;
}

TestClient::TestClient(const std::shared_ptr<SimulatedDevice>& device) {
  EXPECT_EQ(device->Connect(IID_IOPCServer, server_.ReleaseAndGetVoidAddressOf()), S_OK);
}

TestClient::Group TestClient::AddGroup(const WCHAR* name, DWORD rate, OPCHANDLE clientHandle,
                                       float deadband) {
  Group group;
  LONG bias = 0;
  const HRESULT hr = server_->AddGroup(
      name, TRUE, rate, clientHandle, &bias, &deadband, 0, &group.serverHandle, &group.revisedRate,
      IID_IOPCGroupStateMgt, reinterpret_cast<LPUNKNOWN*>(group.state.ReleaseAndGetAddressOf()));
  EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
  return group;
}

std::vector<OPCHANDLE> TestClient::AddItems(const Group& group, const std::vector<WideString>& ids,
                                            std::vector<HRESULT>* errors, VARTYPE requestedType,
                                            std::vector<OPCITEMRESULT>* results) {
  std::vector<WideString> idCopies = ids;
  std::vector<OPCITEMDEF> definitions(ids.size());
  WideString emptyPath;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    definitions[i] =
        OPCITEMDEF{emptyPath.data(), idCopies[i].data(), TRUE, static_cast<OPCHANDLE>(i + 1), 0,
                   nullptr,          requestedType,      0};
  }
  OPCITEMRESULT* rawResults = nullptr;
  HRESULT* rawErrors = nullptr;
  const HRESULT hr = group.As<IOPCItemMgt>()->AddItems(static_cast<DWORD>(ids.size()),
                                                       definitions.data(), &rawResults, &rawErrors);
  const TaskMemoryPtr<OPCITEMRESULT> itemResults(rawResults);
  const TaskMemoryPtr<HRESULT> itemErrors(rawErrors);
  EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
  std::vector<OPCHANDLE> handles;
  if (FAILED(hr)) return handles;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    handles.push_back(itemResults.get()[i].hServer);
    if (errors != nullptr) errors->push_back(itemErrors.get()[i]);
    if (results != nullptr) results->push_back(itemResults.get()[i]);
  }
  return handles;
}

DWORD TestClient::Advise(const Group& group, IOPCDataCallback* callback) {
  DWORD cookie = 0;
  EXPECT_EQ(AtlAdvise(group.state.Get(), callback, IID_IOPCDataCallback, &cookie), S_OK);
  return cookie;
}

DWORD TestClient::AdviseStream(const Group& group, CLIPFORMAT format, IAdviseSink* sink) {
  FORMATETC formatEtc{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  DWORD connection = 0;
  EXPECT_EQ(group.As<IDataObject>()->DAdvise(&formatEtc, 0, sink, &connection), S_OK);
  return connection;
}

}  // namespace tavrel::opcsim
