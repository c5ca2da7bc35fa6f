// What counting costs on the value path. A server's data-change call-back applies a batch of
// values to their tags and adds the batch to the server's received counter once; the benchmark
// runs such call-backs of 1,000 integer items, and beside them the counter addition alone, on
// one thread and on two threads adding to the same counter (two call-back threads of one
// server). The cost of the metrics per value is the addition's time divided by the batch size;
// an addition per value would instead cost the whole addition, contended, on every value.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "bridge/core/bridge_project.h"
#include "bridge/core/metric_registry.h"
#include "bridge/opc/opc_sinks.h"

namespace tavrel {

namespace {

constexpr int kBatch = 1000;

ProjectServerRecord OneGroupOfIntegers() {
  ProjectGroupRecord group;
  group.name = "G";
  for (int i = 0; i < kBatch; ++i) group.tags.push_back({"T" + std::to_string(i), 3, 1});
  ProjectServerRecord server;
  server.name = "S";
  server.groups.push_back(group);
  return server;
}

void BM_DataChangeBatch(benchmark::State& state) {
  MetricRegistry metrics;
  MetricCounter& received = metrics.Counter("received_total", "values");
  BridgeProject project({OneGroupOfIntegers()});
  const auto items = std::make_shared<ItemTable>();
  std::vector<OPCHANDLE> handles;
  for (TagHandle handle = 0; handle < kBatch; ++handle) {
    handles.push_back(items->Add(*project.FindTag(handle)));
  }
  const ComPtr<OPCCallback> callback = MakeComObject<OPCCallback>(items, project, received);
  std::vector<VARIANT> values(kBatch);
  std::vector<WORD> qualities(kBatch, 192);
  std::vector<FILETIME> times(kBatch, FILETIME{1, 0x01D9F000});
  std::vector<HRESULT> errors(kBatch, S_OK);
  LONG next = 0;
  for (auto _ : state) {
    for (VARIANT& value : values) {
      value.vt = VT_I4;
      value.lVal = ++next;
    }
    callback->OnDataChange(0, 1, S_OK, S_OK, kBatch, handles.data(), values.data(),
                           qualities.data(), times.data(), errors.data());
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_DataChangeBatch);

void BM_CounterAddition(benchmark::State& state) {
  static MetricRegistry metrics;
  MetricCounter& counter = metrics.Counter("shared_total", "one counter for all threads");
  for (auto _ : state) counter.Increment(kBatch);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CounterAddition)->Threads(1)->Threads(2);

}  // namespace

}  // namespace tavrel

BENCHMARK_MAIN();
