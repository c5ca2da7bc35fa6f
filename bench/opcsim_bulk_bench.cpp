// How many data changes per second a simulated server delivers to one callback, from its Bulk
// branch: every Bulk item changes every millisecond and the group asks for the fastest rate,
// so the server's update thread runs flat out and its throughput is what is measured. The
// target is 2,000,000 changes per second, so that the server never limits measurements of
// the bridge.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "common/wide_string.h"
#include "opcclient/ignoring_data_sink.h"
#include "platform/com/com.h"
#include "platform/opcda/opcda.h"
#include "platform/opcsim/simulated_device.h"

namespace tavrel {

namespace {

constexpr double kTargetChangesPerSecond = 2'000'000.0;

// Counts the values it receives; Wait returns after the next call.
class CountingCallback final : public IgnoringDataSink {
 public:
  STDMETHODIMP OnDataChange(DWORD, OPCHANDLE, HRESULT, HRESULT, DWORD count, OPCHANDLE*,
                            VARIANT* values, WORD*, FILETIME*, HRESULT*) override {
    double sum = 0;
    for (DWORD i = 0; i < count; ++i) sum += values[i].dblVal;  // touch what arrives
    benchmark::DoNotOptimize(sum);
    {
      std::lock_guard lock(mutex_);
      values_ += count;
      ++calls_;
    }
    arrived_.notify_all();
    return S_OK;
  }

  // Waits for the next call; returns the values received so far.
  std::uint64_t WaitForNextCall() {
    std::unique_lock lock(mutex_);
    const std::uint64_t calls = calls_;
    arrived_.wait_for(lock, std::chrono::seconds(10), [&] { return calls_ > calls; });
    return values_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::uint64_t values_ = 0;
  std::uint64_t calls_ = 0;
};

void BM_BulkDataChangesToOneCallback(benchmark::State& state) {
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const auto itemCount = static_cast<std::size_t>(state.range(0));
  opcsim::SimulationSettings settings;
  settings.minimumUpdateRate = std::chrono::milliseconds(1);
  settings.bulkPeriod = std::chrono::milliseconds(1);
  settings.bulkItemCount = itemCount;
  const auto device = opcsim::SimulatedDevice::Create(opcsim::ServerProfile::kTree, settings);
  {
    ComPtr<IOPCServer> server;
    device->Connect(IID_IOPCServer, server.ReleaseAndGetVoidAddressOf());
    OPCHANDLE groupHandle = 0;
    DWORD revised = 0;
    ComPtr<IOPCItemMgt> items;
    server->AddGroup(OLESTR("Bulk"), TRUE, 1, 1, nullptr, nullptr, 0, &groupHandle, &revised,
                     IID_IOPCItemMgt, reinterpret_cast<LPUNKNOWN*>(items.GetAddressOf()));
    std::vector<WideString> ids;
    std::vector<OPCITEMDEF> definitions;
    const auto& catalogue = device->Catalogue();
    const auto& bulk = catalogue.Branch(*catalogue.FindBranch(OLESTR("Bulk")));
    ids.reserve(bulk.items.size());
    for (const std::size_t index : bulk.items) ids.push_back(catalogue.Item(index).itemId);
    WideString path;
    for (std::size_t i = 0; i < ids.size(); ++i) {
      definitions.push_back({path.data(), ids[i].data(), TRUE, static_cast<OPCHANDLE>(i + 1), 0,
                             nullptr, VT_EMPTY, 0});
    }
    OPCITEMRESULT* results = nullptr;
    HRESULT* errors = nullptr;
    items->AddItems(static_cast<DWORD>(definitions.size()), definitions.data(), &results, &errors);
    CoTaskMemFree(results);
    CoTaskMemFree(errors);

    auto callback = MakeComObject<CountingCallback>();
    DWORD cookie = 0;
    AtlAdvise(items.Get(), callback.Get(), IID_IOPCDataCallback, &cookie);
    callback->WaitForNextCall();  // the first pass sends everything once

    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t first = callback->WaitForNextCall();
    std::uint64_t last = first;
    for (auto _ : state) last = callback->WaitForNextCall();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double perSecond = static_cast<double>(last - first) / seconds;
    state.counters["changes_per_s"] = perSecond;
    state.counters["ratio_to_target"] = perSecond / kTargetChangesPerSecond;
    std::printf(
        "%zu Bulk items: %.0f data changes per second to one callback, %.2f x the target "
        "of %.0f\n",
        itemCount, perSecond, perSecond / kTargetChangesPerSecond, kTargetChangesPerSecond);
    AtlUnadvise(items.Get(), IID_IOPCDataCallback, cookie);
    server->RemoveGroup(groupHandle, TRUE);
  }
  CoUninitialize();
}
BENCHMARK(BM_BulkDataChangesToOneCallback)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

}  // namespace tavrel

BENCHMARK_MAIN();
