#include <gtest/gtest.h>

#include <cstring>

#include "common/wide_string.h"
#include "platform/com/bstr_view.h"
#include "platform/com/file_time_ticks.h"
#include "platform/opcsim/stream_formats.h"
#include "platform/opcsim/test_client.h"

namespace tavrel::opcsim {

namespace {

using std::chrono::milliseconds;

class GroupIo : public TreeDeviceTest {
 protected:
  // Sync-reads one item; returns its error and, in `value`, what was read.
  static HRESULT ReadOne(const TestClient::Group& group, OPCHANDLE handle, OPCDATASOURCE source,
                         OwnedVariant* value = nullptr, WORD* quality = nullptr) {
    OPCITEMSTATE* states = nullptr;
    HRESULT* errors = nullptr;
    EXPECT_TRUE(SUCCEEDED(group.As<IOPCSyncIO>()->Read(source, 1, &handle, &states, &errors)));
    const HRESULT error = errors[0];
    if (value != nullptr) *value = OwnedVariant(states[0].vDataValue);
    if (quality != nullptr) *quality = states[0].wQuality;
    VariantClear(&states[0].vDataValue);
    CoTaskMemFree(states);
    CoTaskMemFree(errors);
    return error;
  }

  static HRESULT WriteOne(const TestClient::Group& group, OPCHANDLE handle, VARIANT value) {
    HRESULT* errors = nullptr;
    EXPECT_TRUE(SUCCEEDED(group.As<IOPCSyncIO>()->Write(1, &handle, &value, &errors)));
    const HRESULT error = errors[0];
    CoTaskMemFree(errors);
    return error;
  }
};

TEST_F(GroupIo, SyncReadsGiveValueQualityAndTimeOrThePerItemError) {
  const auto group = client_->AddGroup(OLESTR("G"), 100);
  const auto handles = client_->AddItems(group, {OLESTR("Echo.Int4"), OLESTR("ReadError.Fail"),
                                                 OLESTR("WriteOnly.Int4"), OLESTR("Sine.Real8")});
  OwnedVariant value;
  WORD quality = 0;
  EXPECT_EQ(ReadOne(group, handles[0], OPC_DS_CACHE, &value, &quality), S_OK);
  EXPECT_EQ(value.Type(), VT_I4);
  EXPECT_EQ(quality, OPC_QUALITY_GOOD);
  EXPECT_EQ(ReadOne(group, handles[1], OPC_DS_DEVICE), E_FAIL);
  EXPECT_EQ(ReadOne(group, handles[2], OPC_DS_DEVICE), OPC_E_BADRIGHTS);

  OPCHANDLE sine = handles[3];
  HRESULT* errors = nullptr;
  ASSERT_EQ(group.As<IOPCItemMgt>()->SetActiveState(1, &sine, FALSE, &errors), S_OK);
  CoTaskMemFree(errors);
  EXPECT_EQ(ReadOne(group, sine, OPC_DS_CACHE, &value, &quality), S_OK);
  EXPECT_EQ(quality, OPC_QUALITY_OUT_OF_SERVICE) << "the cache of an inactive item";
  EXPECT_EQ(ReadOne(group, sine, OPC_DS_DEVICE, &value, &quality), S_OK);
  EXPECT_EQ(quality, OPC_QUALITY_GOOD);
  OPCITEMSTATE* states = nullptr;
  EXPECT_EQ(group.As<IOPCSyncIO>()->Read(static_cast<OPCDATASOURCE>(9), 1, &sine, &states, &errors),
            E_INVALIDARG);
}

TEST_F(GroupIo, SyncWritesConvertToTheCanonicalTypeAndReachEveryConnection) {
  const auto group = client_->AddGroup(OLESTR("G"), 100);
  const auto handles = client_->AddItems(
      group, {OLESTR("Echo.Real8"), OLESTR("Echo.Int2"), OLESTR("WriteError.Fail"),
              OLESTR("Random.Int4"), OLESTR("WriteError.ReadOnly"), OLESTR("中文.设备一.名称")});
  EXPECT_EQ(WriteOne(group, handles[0], OwnedVariant::FromText(OLESTR("12.5")).Get()), S_OK);
  OwnedVariant value;
  ReadOne(group, handles[0], OPC_DS_CACHE, &value);
  EXPECT_EQ(value.Type(), VT_R8);
  EXPECT_EQ(value.Get().dblVal, 12.5);
  EXPECT_EQ(WriteOne(group, handles[1], OwnedVariant::FromText(OLESTR("abc")).Get()),
            OPC_E_BADTYPE);
  EXPECT_EQ(WriteOne(group, handles[1], OwnedVariant::FromDouble(1e10).Get()), OPC_E_RANGE);
  EXPECT_EQ(WriteOne(group, handles[2], OwnedVariant::FromDouble(1).Get()), E_FAIL);
  EXPECT_EQ(WriteOne(group, handles[3], OwnedVariant::FromDouble(1).Get()), OPC_E_BADRIGHTS);
  EXPECT_EQ(WriteOne(group, handles[4], OwnedVariant::FromText(OLESTR("x")).Get()),
            OPC_E_BADRIGHTS);
  EXPECT_EQ(WriteOne(group, handles[5], OwnedVariant::FromText(OLESTR("二号设备")).Get()), S_OK);

  TestClient other(device_);
  const auto otherGroup = other.AddGroup(OLESTR("G"), 100);
  const auto otherHandles =
      other.AddItems(otherGroup, {OLESTR("Echo.Real8"), OLESTR("中文.设备一.名称")});
  ReadOne(otherGroup, otherHandles[0], OPC_DS_DEVICE, &value);
  EXPECT_EQ(value.Get().dblVal, 12.5);
  ReadOne(otherGroup, otherHandles[1], OPC_DS_DEVICE, &value);
  EXPECT_EQ(BstrView(value.Get().bstrVal), OLESTR("二号设备"));
}

TEST_F(GroupIo, AsyncWriteAndReadCompleteWithTheirTransactionIds) {
  const auto group = client_->AddGroup(OLESTR("G"), 1000);
  const auto handles = client_->AddItems(
      group, {OLESTR("Echo.UInt2"), OLESTR("WriteError.AccessDenied"), OLESTR("Ramp.Int4")});
  const auto async = group.As<IOPCAsyncIO2>();
  auto callback = MakeComObject<RecordingCallback>();
  client_->Advise(group, callback.Get());
  VARIANT values[3];
  for (VARIANT& value : values) {
    value.vt = VT_I4;
    value.lVal = 7;
  }
  OPCHANDLE items[3] = {handles[0], handles[1], handles[2]};
  DWORD cancelId = 0;
  HRESULT* errors = nullptr;
  ASSERT_EQ(async->Write(3, items, values, 2, &cancelId, &errors), S_FALSE);
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], S_OK);
  EXPECT_EQ(errors[2], OPC_E_BADRIGHTS) << "checked at once";
  CoTaskMemFree(errors);
  EXPECT_NE(cancelId, 0u);
  auto calls = callback->WaitForCalls(ReceivedCall::kWriteComplete, 1);
  const auto written = std::find_if(calls.begin(), calls.end(), [](const ReceivedCall& call) {
    return call.kind == ReceivedCall::kWriteComplete;
  });
  ASSERT_NE(written, calls.end());
  EXPECT_EQ(written->transactionId, 2u);
  ASSERT_EQ(written->items.size(), 2u);
  EXPECT_EQ(written->items[0].error, S_OK);
  EXPECT_EQ(written->items[1].error, E_ACCESSDENIED);
  EXPECT_EQ(written->masterError, S_FALSE);
  EXPECT_NE(written->thread, std::this_thread::get_id());

  ASSERT_EQ(async->Read(1, items, 31, &cancelId, &errors), S_OK);
  CoTaskMemFree(errors);
  calls = callback->WaitForCalls(ReceivedCall::kReadComplete, 1);
  const auto read = std::find_if(calls.begin(), calls.end(), [](const ReceivedCall& call) {
    return call.kind == ReceivedCall::kReadComplete;
  });
  ASSERT_NE(read, calls.end());
  EXPECT_EQ(read->transactionId, 31u);
  EXPECT_EQ(read->items[0].value.Get().uiVal, 7) << "the asynchronous write took effect";
}

TEST_F(GroupIo, Cancel2OfAPendingCallSendsOnCancelComplete) {
  const auto group = client_->AddGroup(OLESTR("G"), 1000);
  client_->AddItems(group, {OLESTR("Echo.Int4")});
  auto callback = MakeComObject<RecordingCallback>();
  std::mutex mutex;
  std::condition_variable changed;
  bool inside = false;
  bool release = false;
  callback->onDataChange = [&] {  // holds the update thread inside the first data change
    std::unique_lock lock(mutex);
    inside = true;
    changed.notify_all();
    changed.wait(lock, [&] { return release; });
  };
  client_->Advise(group, callback.Get());
  {
    std::unique_lock lock(mutex);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] { return inside; }));
  }
  const auto async = group.As<IOPCAsyncIO2>();
  DWORD cancelId = 0;
  ASSERT_EQ(async->Refresh2(OPC_DS_CACHE, 99, &cancelId), S_OK);
  EXPECT_EQ(async->Cancel2(cancelId), S_OK);
  EXPECT_EQ(async->Cancel2(cancelId), E_FAIL) << "cancelled already";
  {
    std::lock_guard lock(mutex);
    release = true;
  }
  changed.notify_all();
  const auto calls = callback->WaitForCalls(ReceivedCall::kCancelComplete, 1);
  EXPECT_EQ(CountOf(calls, ReceivedCall::kCancelComplete), 1u);
  for (const ReceivedCall& call : calls) {
    if (call.kind == ReceivedCall::kCancelComplete) {
      EXPECT_EQ(call.transactionId, 99u);
    }
    if (call.kind == ReceivedCall::kDataChange) {
      EXPECT_NE(call.transactionId, 99u) << "the cancelled refresh is not sent";
    }
  }
}

TEST_F(GroupIo, Da1AsyncWriteCompletesThroughTheWriteCompleteStream) {
  const auto group = client_->AddGroup(OLESTR("G"), 1000, 5);
  const auto handles = client_->AddItems(group, {OLESTR("Echo.Int4"), OLESTR("WriteError.Fail")});
  auto sink = MakeComObject<RecordingAdviseSink>();
  const DWORD connection =
      TestClient::AdviseStream(group, OpcStreamFormats().writeComplete, sink.Get());
  const auto async = group.As<IOPCAsyncIO>();
  VARIANT values[2];
  values[0].vt = values[1].vt = VT_I4;
  values[0].lVal = values[1].lVal = 3;
  OPCHANDLE items[2] = {handles[0], handles[1]};
  DWORD transactionId = 0;
  HRESULT* errors = nullptr;
  EXPECT_EQ(async->Write(connection + 100, 2, items, values, &transactionId, &errors),
            CONNECT_E_NOCONNECTION);
  ASSERT_EQ(async->Write(connection, 2, items, values, &transactionId, &errors), S_OK);
  CoTaskMemFree(errors);
  const auto streams = sink->WaitForStreams(1);
  ASSERT_EQ(streams.size(), 1u);
  const auto& stream = streams[0];
  EXPECT_EQ(stream.format, OpcStreamFormats().writeComplete);
  ASSERT_EQ(stream.bytes.size(), sizeof(OPCGROUPHEADERWRITE) + 2 * sizeof(OPCITEMHEADERWRITE));
  const auto header = stream.At<OPCGROUPHEADERWRITE>(0);
  EXPECT_EQ(header.dwItemCount, 2u);
  EXPECT_EQ(header.hClientGroup, 5u);
  EXPECT_EQ(header.dwTransactionID, transactionId);
  EXPECT_EQ(header.hrStatus, S_FALSE);
  const auto second = stream.At<OPCITEMHEADERWRITE>(sizeof(header) + sizeof(OPCITEMHEADERWRITE));
  EXPECT_EQ(second.hClient, 2u);
  EXPECT_EQ(second.dwError, E_FAIL);
}

TEST_F(GroupIo, Da1ServerSendsDataAsStreamsWithTimesAndStrings) {
  auto legacy = SimulatedDevice::Create(ServerProfile::kLegacy, FastSettings());
  TestClient client(legacy);
  const auto group = client.AddGroup(OLESTR("G"), 20, 9);
  client.AddItems(group, {OLESTR("中文.设备一.名称"), OLESTR("Echo.Real8")});
  auto sink = MakeComObject<RecordingAdviseSink>();
  TestClient::AdviseStream(group, OpcStreamFormats().dataTime, sink.Get());
  const auto streams = sink->WaitForStreams(1);
  ASSERT_FALSE(streams.empty());
  const auto& stream = streams[0];
  EXPECT_EQ(stream.format, OpcStreamFormats().dataTime);
  const auto header = stream.At<OPCGROUPHEADER>(0);
  EXPECT_EQ(header.dwSize, stream.bytes.size());
  EXPECT_EQ(header.dwItemCount, 2u);
  EXPECT_EQ(header.hClientGroup, 9u);
  EXPECT_EQ(header.hrStatus, S_OK);
  const auto first = stream.At<OPCITEMHEADER1>(sizeof(OPCGROUPHEADER));
  EXPECT_EQ(first.hClient, 1u);
  EXPECT_EQ(first.wQuality, OPC_QUALITY_GOOD);
  EXPECT_NE(FileTimeTicks(first.ftTimeStampItem), 0u);
  const auto text = stream.At<VARIANT>(first.dwValueOffset);
  EXPECT_EQ(text.vt, VT_BSTR);
  const auto bytes = stream.At<DWORD>(first.dwValueOffset + sizeof(VARIANT));
  ASSERT_EQ(bytes, 8u);
  WideString name(4, OLESTR('\0'));
  std::memcpy(name.data(), stream.bytes.data() + first.dwValueOffset + sizeof(VARIANT) + 4, bytes);
  EXPECT_EQ(name, OLESTR("一号设备"));
  const auto second = stream.At<OPCITEMHEADER1>(sizeof(OPCGROUPHEADER) + sizeof(OPCITEMHEADER1));
  const auto real = stream.At<VARIANT>(second.dwValueOffset);
  EXPECT_EQ(real.vt, VT_R8);
  EXPECT_EQ(real.dblVal, 0.0);
  EXPECT_EQ(second.dwValueOffset % 8, 0u);
}

}  // namespace

}  // namespace tavrel::opcsim
