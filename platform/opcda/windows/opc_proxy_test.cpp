// The OPC interfaces cross apartments through the proxy/stub compiled from opcda.idl: the
// arrays, VARIANTs, FILETIMEs and strings of a call arrive as sent, in both directions, and
// what the server allocates for the caller arrives in the caller's task memory.
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/bstr_view.h"
#include "platform/com/com_object.h"
#include "platform/com/com_ptr.h"
#include "platform/com/owned_variant.h"
#include "platform/com/task_memory_ptr.h"
#include "platform/opcda/opc_error.h"
#include "platform/opcda/opc_interfaces.h"
#include "platform/opcda/opc_proxy_registration.h"

namespace tavrel {

namespace {

// A single-threaded apartment on a thread of its own, holding one object made there. Calls
// from other apartments reach the object through the thread's message loop, and so through
// the proxy/stub.
class ApartmentThread {
 public:
  explicit ApartmentThread(std::function<ComPtr<IUnknown>()> make)
      : thread_([this, make = std::move(make)] { Run(make); }) {
    future_.wait();
  }
  ~ApartmentThread() {
    PostThreadMessageW(threadId_.get_future().get(), WM_QUIT, 0, 0);
    thread_.join();
  }

  // The object, unmarshalled into the calling apartment (once).
  template <typename Interface>
  ComPtr<Interface> Take() {
    ComPtr<Interface> object;
    EXPECT_EQ(CoGetInterfaceAndReleaseStream(future_.get(), UuidOf<Interface>(),
                                             reinterpret_cast<void**>(object.GetAddressOf())),
              S_OK);
    return object;
  }

 private:
  void Run(const std::function<ComPtr<IUnknown>()>& make) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, before the id
    threadId_.set_value(GetCurrentThreadId());
    IStream* stream = nullptr;
    {
      const ComPtr<IUnknown> object = make();
      EXPECT_EQ(RegisterOpcProxies(), S_OK);
      EXPECT_EQ(CoMarshalInterThreadInterfaceInStream(IID_IUnknown, object.Get(), &stream), S_OK);
    }
    streamPromise_.set_value(stream);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    CoUninitialize();
  }

  std::promise<DWORD> threadId_;
  std::promise<IStream*> streamPromise_;
  std::shared_future<IStream*> future_ = streamPromise_.get_future().share();
  std::thread thread_;
};

class CallbackRecorder final : public ComObject<IOPCDataCallback> {
 public:
  STDMETHODIMP OnDataChange(DWORD transaction, OPCHANDLE group, HRESULT masterQuality,
                            HRESULT masterError, DWORD count, OPCHANDLE* items, VARIANT* values,
                            WORD* qualities, FILETIME* times, HRESULT* errors) override {
    transaction_ = transaction;
    group_ = group;
    master_ = {masterQuality, masterError};
    for (DWORD index = 0; index < count; ++index) {
      items_.push_back(items[index]);
      values_.emplace_back(values[index]);
      qualities_.push_back(qualities[index]);
      times_.push_back(times[index]);
      errors_.push_back(errors[index]);
    }
    return S_OK;
  }
  STDMETHODIMP OnReadComplete(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD, OPCHANDLE*, VARIANT*,
                              WORD*, FILETIME*, HRESULT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP OnWriteComplete(DWORD, OPCHANDLE, HRESULT, DWORD, OPCHANDLE*, HRESULT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP OnCancelComplete(DWORD, OPCHANDLE) override { return E_NOTIMPL; }

  DWORD transaction_ = 0;
  OPCHANDLE group_ = 0;
  std::pair<HRESULT, HRESULT> master_;
  std::vector<OPCHANDLE> items_;
  std::vector<OwnedVariant> values_;
  std::vector<WORD> qualities_;
  std::vector<FILETIME> times_;
  std::vector<HRESULT> errors_;
};

// Answers reads with the text "值<handle>" at a time of <handle> ticks, and handle 0 with
// OPC_E_INVALIDHANDLE; and offers two properties.
class ReadServer final : public ComObject<IOPCSyncIO, IOPCItemProperties, IOPCCommon> {
 public:
  STDMETHODIMP SetLocaleID(LCID) override { return E_NOTIMPL; }
  STDMETHODIMP GetLocaleID(LCID*) override { return E_NOTIMPL; }
  STDMETHODIMP QueryAvailableLocaleIDs(DWORD*, LCID**) override { return E_NOTIMPL; }
  STDMETHODIMP GetErrorString(HRESULT error, LPWSTR* text) override {
    *text = TaskMemStringDuplicate(error == E_FAIL ? L"失败" : L"?");
    return S_OK;
  }
  STDMETHODIMP SetClientName(LPCWSTR) override { return E_NOTIMPL; }

  STDMETHODIMP Read(OPCDATASOURCE, DWORD count, OPCHANDLE* handles, OPCITEMSTATE** states,
                    HRESULT** errors) override {
    *states = static_cast<OPCITEMSTATE*>(CoTaskMemAlloc(count * sizeof(OPCITEMSTATE)));
    *errors = static_cast<HRESULT*>(CoTaskMemAlloc(count * sizeof(HRESULT)));
    HRESULT result = S_OK;
    for (DWORD index = 0; index < count; ++index) {
      OPCITEMSTATE& state = (*states)[index];
      state = {};
      state.hClient = handles[index] + 100;
      state.ftTimeStamp = {handles[index], 0};
      state.wQuality = OPC_QUALITY_GOOD;
      const std::wstring text = L"值" + std::to_wstring(handles[index]);
      V_VT(&state.vDataValue) = VT_BSTR;
      V_BSTR(&state.vDataValue) = SysAllocString(text.c_str());
      (*errors)[index] = handles[index] == 0 ? OPC_E_INVALIDHANDLE : S_OK;
      if (handles[index] == 0) result = S_FALSE;
    }
    return result;
  }
  STDMETHODIMP Write(DWORD, OPCHANDLE*, VARIANT*, HRESULT**) override { return E_NOTIMPL; }

  STDMETHODIMP QueryAvailableProperties(LPWSTR itemId, DWORD* count, DWORD** ids,
                                        LPWSTR** descriptions, VARTYPE** types) override {
    if (std::wstring(itemId) != L"Ramp.Int4") return OPC_E_UNKNOWNITEMID;
    *count = 2;
    *ids = static_cast<DWORD*>(CoTaskMemAlloc(2 * sizeof(DWORD)));
    *descriptions = static_cast<LPWSTR*>(CoTaskMemAlloc(2 * sizeof(LPWSTR)));
    *types = static_cast<VARTYPE*>(CoTaskMemAlloc(2 * sizeof(VARTYPE)));
    (*ids)[0] = OPC_PROPERTY_VALUE;
    (*ids)[1] = OPC_PROPERTY_EU_UNITS;
    (*descriptions)[0] = TaskMemStringDuplicate(OPC_PROPERTY_DESC_VALUE);
    (*descriptions)[1] = TaskMemStringDuplicate(L"单位");
    (*types)[0] = VT_I4;
    (*types)[1] = VT_BSTR;
    return S_OK;
  }
  STDMETHODIMP GetItemProperties(LPWSTR, DWORD, DWORD*, VARIANT**, HRESULT**) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP LookupItemIDs(LPWSTR, DWORD, DWORD*, LPWSTR**, HRESULT**) override {
    return E_NOTIMPL;
  }
};

class OpcProxyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ASSERT_EQ(RegisterOpcProxies(), S_OK);
  }
  static void TearDownTestSuite() { CoUninitialize(); }
};

TEST_F(OpcProxyTest, CallBacksCarryTheirArraysToTheClientsApartment) {
  CallbackRecorder* recorder = nullptr;
  ApartmentThread client([&] {
    auto object = MakeComObject<CallbackRecorder>();
    recorder = object.Get();
    return ComPtr<IUnknown>(std::move(object));
  });
  const ComPtr<IOPCDataCallback> callback = client.Take<IOPCDataCallback>();
  ASSERT_TRUE(callback);
  // The proxy is not the object: the call crosses the apartments.
  ASSERT_NE(static_cast<void*>(callback.Get()), static_cast<void*>(recorder));

  OPCHANDLE items[] = {7, 8, 9};
  OwnedVariant values[] = {OwnedVariant::FromDouble(2.5), OwnedVariant::FromText(L"温度 ok"),
                           OwnedVariant()};
  VARIANT wire[3];
  for (int index = 0; index < 3; ++index) wire[index] = values[index].Get();
  WORD qualities[] = {OPC_QUALITY_GOOD, OPC_QUALITY_UNCERTAIN, OPC_QUALITY_BAD};
  FILETIME times[] = {{1, 2}, {3, 4}, {0xFFFFFFFF, 0x7FFFFFFF}};
  HRESULT errors[] = {S_OK, S_OK, OPC_E_BADRIGHTS};
  ASSERT_EQ(
      callback->OnDataChange(41, 5, S_FALSE, S_FALSE, 3, items, wire, qualities, times, errors),
      S_OK);

  EXPECT_EQ(recorder->transaction_, 41u);
  EXPECT_EQ(recorder->group_, 5u);
  EXPECT_EQ(recorder->master_, std::make_pair(S_FALSE, S_FALSE));
  EXPECT_EQ(recorder->items_, std::vector<OPCHANDLE>(std::begin(items), std::end(items)));
  ASSERT_EQ(recorder->values_.size(), 3u);
  EXPECT_EQ(recorder->values_[0].Type(), VT_R8);
  EXPECT_EQ(V_R8(&recorder->values_[0].Get()), 2.5);
  EXPECT_EQ(recorder->values_[1].Type(), VT_BSTR);
  EXPECT_EQ(BstrView(V_BSTR(&recorder->values_[1].Get())), L"温度 ok");
  EXPECT_EQ(recorder->values_[2].Type(), VT_EMPTY);
  EXPECT_EQ(recorder->qualities_, std::vector<WORD>(std::begin(qualities), std::end(qualities)));
  ASSERT_EQ(recorder->times_.size(), 3u);
  EXPECT_EQ(recorder->times_[2].dwLowDateTime, 0xFFFFFFFFu);
  EXPECT_EQ(recorder->times_[2].dwHighDateTime, 0x7FFFFFFFu);
  EXPECT_EQ(recorder->errors_, std::vector<HRESULT>(std::begin(errors), std::end(errors)));
}

TEST_F(OpcProxyTest, WhatTheServerAllocatesArrivesInTheCallersTaskMemory) {
  ApartmentThread server([] {
    ComPtr<IUnknown> object;
    EXPECT_EQ(MakeComObject<ReadServer>().As(&object), S_OK);
    return object;
  });
  const ComPtr<IOPCSyncIO> io = server.Take<IOPCSyncIO>();
  ASSERT_TRUE(io);

  OPCHANDLE handles[] = {3, 0};
  OPCITEMSTATE* states = nullptr;
  HRESULT* errors = nullptr;
  ASSERT_EQ(io->Read(OPC_DS_CACHE, 2, handles, &states, &errors), S_FALSE);
  EXPECT_EQ(states[0].hClient, 103u);
  EXPECT_EQ(states[0].ftTimeStamp.dwLowDateTime, 3u);
  EXPECT_EQ(states[0].wQuality, OPC_QUALITY_GOOD);
  ASSERT_EQ(V_VT(&states[0].vDataValue), VT_BSTR);
  EXPECT_EQ(BstrView(V_BSTR(&states[0].vDataValue)), L"值3");
  EXPECT_EQ(errors[0], S_OK);
  EXPECT_EQ(errors[1], OPC_E_INVALIDHANDLE);
  for (int index = 0; index < 2; ++index) VariantClear(&states[index].vDataValue);
  CoTaskMemFree(states);
  CoTaskMemFree(errors);

  ComPtr<IOPCCommon> common;
  ASSERT_EQ(io.As(&common), S_OK);
  LPWSTR text = nullptr;
  ASSERT_EQ(common->GetErrorString(E_FAIL, &text), S_OK);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::wstring(text), L"失败");
  CoTaskMemFree(text);

  ComPtr<IOPCItemProperties> properties;
  ASSERT_EQ(io.As(&properties), S_OK);
  DWORD count = 0;
  DWORD* ids = nullptr;
  LPWSTR* descriptions = nullptr;
  VARTYPE* types = nullptr;
  wchar_t unknown[] = L"Nope";
  EXPECT_EQ(properties->QueryAvailableProperties(unknown, &count, &ids, &descriptions, &types),
            OPC_E_UNKNOWNITEMID);
  wchar_t ramp[] = L"Ramp.Int4";
  ASSERT_EQ(properties->QueryAvailableProperties(ramp, &count, &ids, &descriptions, &types), S_OK);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(ids[1], static_cast<DWORD>(OPC_PROPERTY_EU_UNITS));
  EXPECT_EQ(std::wstring(descriptions[0]), OPC_PROPERTY_DESC_VALUE);
  EXPECT_EQ(std::wstring(descriptions[1]), L"单位");
  EXPECT_EQ(types[1], VT_BSTR);
  for (DWORD index = 0; index < count; ++index) CoTaskMemFree(descriptions[index]);
  CoTaskMemFree(ids);
  CoTaskMemFree(descriptions);
  CoTaskMemFree(types);
}

}  // namespace

}  // namespace tavrel
