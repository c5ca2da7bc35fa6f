// What the tests of the simulated servers use to act as an OPC client: sinks that record
// every callback, and helpers for the calls every test makes.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "common/mutex.h"
#include "common/wide_string.h"
#include "platform/com/com.h"
#include "platform/opcda/opcda.h"
#include "platform/opcsim/simulated_device.h"

namespace tavrel::opcsim {

struct ReceivedItem {
  OPCHANDLE clientHandle;
  OwnedVariant value;
  WORD quality;
  FILETIME timeStamp;
  HRESULT error;
};

struct ReceivedCall {
  enum Kind { kDataChange, kReadComplete, kWriteComplete, kCancelComplete } kind;
  DWORD transactionId;
  OPCHANDLE clientGroup;
  HRESULT masterQuality;
  HRESULT masterError;
  std::vector<ReceivedItem> items;
  std::chrono::steady_clock::time_point arrival;
  std::thread::id thread;
};

// An IOPCDataCallback that records every call. `onDataChange`, when set, runs inside
// OnDataChange (to call the server back from a callback).
class RecordingCallback final : public ComObject<IOPCDataCallback> {
 public:
  STDMETHODIMP OnDataChange(DWORD transactionId, OPCHANDLE clientGroup, HRESULT masterQuality,
                            HRESULT masterError, DWORD count, OPCHANDLE* clientItems,
                            VARIANT* values, WORD* qualities, FILETIME* timeStamps,
                            HRESULT* errors) override;
  STDMETHODIMP OnReadComplete(DWORD transactionId, OPCHANDLE clientGroup, HRESULT masterQuality,
                              HRESULT masterError, DWORD count, OPCHANDLE* clientItems,
                              VARIANT* values, WORD* qualities, FILETIME* timeStamps,
                              HRESULT* errors) override;
  STDMETHODIMP OnWriteComplete(DWORD transactionId, OPCHANDLE clientGroup, HRESULT masterError,
                               DWORD count, OPCHANDLE* clientItems, HRESULT* errors) override;
  STDMETHODIMP OnCancelComplete(DWORD transactionId, OPCHANDLE clientGroup) override;

  // Waits until `done` holds for the calls received (at most `timeout`); returns the calls.
  std::vector<ReceivedCall> WaitFor(
      const std::function<bool(const std::vector<ReceivedCall>&)>& done,
      std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Waits for at least `count` calls of `kind`.
  std::vector<ReceivedCall> WaitForCalls(
      ReceivedCall::Kind kind, std::size_t count,
      std::chrono::milliseconds timeout = std::chrono::seconds(5));
  std::vector<ReceivedCall> Calls() const;
  void Clear();

  std::function<void()> onDataChange;

 private:
  void Record(ReceivedCall call);
  static ReceivedCall DataCall(ReceivedCall::Kind kind, DWORD transactionId, OPCHANDLE group,
                               HRESULT masterQuality, HRESULT masterError, DWORD count,
                               const OPCHANDLE* clientItems, const VARIANT* values,
                               const WORD* qualities, const FILETIME* timeStamps,
                               const HRESULT* errors);

  mutable Mutex mutex_;
  std::condition_variable_any changed_;
  std::vector<ReceivedCall> calls_ GUARDED_BY(mutex_);
};

class RecordingShutdown final : public ComObject<IOPCShutdown> {
 public:
  STDMETHODIMP ShutdownRequest(LPCWSTR reason) override;
  // The reasons received, after waiting until there is at least `count` (at most `timeout`).
  std::vector<WideString> WaitForReasons(std::size_t count, std::chrono::milliseconds timeout);

 private:
  Mutex mutex_;
  std::condition_variable_any changed_;
  std::vector<WideString> reasons_ GUARDED_BY(mutex_);
};

// An IAdviseSink that keeps a copy of every DA 1.0 stream it receives.
class RecordingAdviseSink final : public ComObject<IAdviseSink> {
 public:
  struct Stream {
    CLIPFORMAT format;
    std::vector<unsigned char> bytes;
    template <typename T>
    T At(std::size_t offset) const {
      T value;
      std::memcpy(&value, bytes.data() + offset, sizeof(T));
      return value;
    }
  };

  STDMETHODIMP_(void) OnDataChange(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP_(void) OnViewChange(DWORD, LONG) override {}
  STDMETHODIMP_(void) OnRename(IMoniker*) override {}
  STDMETHODIMP_(void) OnSave() override {}
  STDMETHODIMP_(void) OnClose() override {}

  // The streams received, after waiting until there are at least `count` (at most 5 s).
  std::vector<Stream> WaitForStreams(std::size_t count);

 private:
  Mutex mutex_;
  std::condition_variable_any changed_;
  std::vector<Stream> streams_ GUARDED_BY(mutex_);
};

// An object of `clsid` made by the COM runtime (CoCreateInstance in `context`), as interface I;
// fails the test unless the activation answers `expected`.
template <typename I>
ComPtr<I> CreateObject(const CLSID& clsid, HRESULT expected = S_OK, DWORD context = CLSCTX_ALL) {
  ComPtr<I> object;
  EXPECT_EQ(
      CoCreateInstance(clsid, nullptr, context, UuidOf<I>(), object.ReleaseAndGetVoidAddressOf()),
      expected);
  return object;
}

// The value property (OPC_PROPERTY_VALUE) of `itemId` read through `properties`; empty, with the
// test failed, when it cannot be read.
OwnedVariant ValuePropertyOf(IOPCItemProperties* properties, WideString itemId);

// Counts of the calls of `kind` in `calls`.
std::size_t CountOf(const std::vector<ReceivedCall>& calls, ReceivedCall::Kind kind);

// A connection to `device` and the group calls of a test.
class TestClient {
 public:
  explicit TestClient(const std::shared_ptr<SimulatedDevice>& device);
  // A client of a server made elsewhere (by CoCreateInstance, in another process).
  explicit TestClient(ComPtr<IOPCServer> server) : server_(std::move(server)) {}

  IOPCServer* Server() const { return server_.Get(); }
  template <typename I>
  ComPtr<I> ServerAs() const {
    ComPtr<I> result;
    EXPECT_EQ(server_.As(&result), S_OK);
    return result;
  }

  struct Group {
    ComPtr<IOPCGroupStateMgt> state;
    OPCHANDLE serverHandle = 0;
    DWORD revisedRate = 0;
    template <typename I>
    ComPtr<I> As() const {
      ComPtr<I> result;
      EXPECT_EQ(state.As(&result), S_OK);
      return result;
    }
  };
  // Adds an active group; fails the test when AddGroup fails.
  Group AddGroup(const WCHAR* name, DWORD rate, OPCHANDLE clientHandle = 1, float deadband = 0.0f);
  // AddItems of `ids` (client handles 1, 2, ...); returns the server handles (0 for failed
  // items) and the per-item errors in `errors`.
  std::vector<OPCHANDLE> AddItems(const Group& group, const std::vector<WideString>& ids,
                                  std::vector<HRESULT>* errors = nullptr,
                                  VARTYPE requestedType = VT_EMPTY,
                                  std::vector<OPCITEMRESULT>* results = nullptr);
  // Advises `callback` on the group's IOPCDataCallback point; returns the cookie.
  DWORD Advise(const Group& group, IOPCDataCallback* callback);
  // Advises `sink` of the group's DA 1.0 streams of `format` (IDataObject::DAdvise); returns the
  // connection.
  static DWORD AdviseStream(const Group& group, CLIPFORMAT format, IAdviseSink* sink);

 private:
  ComPtr<IOPCServer> server_;
};

// COM entered for the test's thread, and a device with fast timing for tests.
class SimulatedServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }
  void TearDown() override { CoUninitialize(); }

  static SimulationSettings FastSettings() {
    SimulationSettings settings;
    settings.minimumUpdateRate = std::chrono::milliseconds(10);
    settings.signalPeriod = std::chrono::milliseconds(10);
    settings.bulkPeriod = std::chrono::milliseconds(10);
    settings.bulkItemCount = 50;
    return settings;
  }
};

// A tree-profile device with FastSettings() and a client of it, for each test.
class TreeDeviceTest : public SimulatedServerTest {
 protected:
  void SetUp() override {
    SimulatedServerTest::SetUp();
    device_ = SimulatedDevice::Create(ServerProfile::kTree, FastSettings());
    client_ = std::make_unique<TestClient>(device_);
  }
  void TearDown() override {
    client_.reset();
    SimulatedServerTest::TearDown();
  }

  std::shared_ptr<SimulatedDevice> device_;
  std::unique_ptr<TestClient> client_;
};

}  // namespace tavrel::opcsim
