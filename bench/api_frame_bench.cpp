// The API's frame layer (wire/).
//
//   BM_ScanTakeDispatch  request frames through scan, take and a dispatch that reads the
//                        header's root: frames per second and MB/s.
//   BM_ScanNoise         10 MiB of 0x68 bytes that never form a header, arriving 4096 bytes
//                        at a time as a client's receive buffer takes them: the time for all.
//   BM_CompressPushes    the body of one millisecond of pushes at a million updates a second
//                        (1,000 real records of consecutive tags stamped alike, as a busy
//                        group's): MB/s of records, and the ratio of their size to the body's.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "wire/api_frame.h"
#include "wire/body_compressor.h"
#include "wire/frame_codec.h"
#include "wire/push_record.h"

namespace tavrel {

namespace {

std::string RequestFrame() {
  const std::string header =
      std::string(kGbkDeclaration) + "<root uid=\"1\" type=\"6\" flag=\"0\" tt=\"0\"/>\r\n";
  ByteBuffer frame;
  BuildFrame(header, {}, kBodyNone, frame);
  return std::string(reinterpret_cast<const char*>(frame.At(0)), frame.Length());
}

void BM_ScanTakeDispatch(benchmark::State& state) {
  const std::string frame = RequestFrame();
  std::string stream;
  for (int i = 0; i < 1000; ++i) stream += frame;
  ByteBuffer buffer(stream.size());
  int dispatched = 0;
  FrameSearch search;
  for (auto _ : state) {
    buffer.Append(stream.data(), stream.size());
    ProcessFrames(
        buffer, search, [] { return false; },
        [&](MarkupDocument& header) {
          header.FindElement("root");
          dispatched += header.GetAttribute("type").size();
        },
        [] {});
  }
  benchmark::DoNotOptimize(dispatched);
  state.SetItemsProcessed(state.iterations() * 1000);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stream.size()));
}
BENCHMARK(BM_ScanTakeDispatch)->Unit(benchmark::kMillisecond);

void BM_ScanNoise(benchmark::State& state) {
  const std::string arrival(4096, '\x68');
  for (auto _ : state) {
    ByteBuffer buffer;
    FrameSearch search;
    for (size_t received = 0; received < size_t{10} << 20; received += arrival.size()) {
      buffer.Append(arrival.data(), arrival.size());
      ProcessFrames(
          buffer, search, [] { return false; }, [](MarkupDocument&) {}, [] {});
    }
    benchmark::DoNotOptimize(buffer.Length());
  }
  state.SetBytesProcessed(state.iterations() * (int64_t{10} << 20));
}
BENCHMARK(BM_ScanNoise)->Unit(benchmark::kMillisecond);

void BM_CompressPushes(benchmark::State& state) {
  ByteBuffer records;
  for (int tag = 0; tag < state.range(0); ++tag) {
    AppendPushRecord(records, PushRecord{.handle = tag,
                                         .seconds = 1765300000,
                                         .milliseconds = 300,
                                         .valueClass = 1,
                                         .updateCount = 5000,
                                         .real = 50 + 50 * std::sin(tag * 0.37)});
  }
  const std::string_view payload(reinterpret_cast<const char*>(records.At(0)), records.Length());
  std::vector<std::uint8_t> body(CompressedBodyBound(payload.size()));
  std::size_t length = 0;
  for (auto _ : state) {
    length = CompressBody(payload, body.data());
    benchmark::DoNotOptimize(body.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(payload.size()));
  state.counters["ratio"] = length > 0 ? static_cast<double>(payload.size()) / length : 0;
}
BENCHMARK(BM_CompressPushes)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace tavrel

BENCHMARK_MAIN();
