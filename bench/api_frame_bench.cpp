// The API's frame layer (wire/).
//
//   BM_ScanTakeDispatch  request frames through scan, take and a dispatch that reads the
//                        header's root: frames per second and MB/s.
//   BM_ScanNoise         10 MiB of 0x68 bytes that never form a header, arriving 4096 bytes
//                        at a time as a client's receive buffer takes them: the time for all.
#include <benchmark/benchmark.h>

#include <string>

#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "wire/api_frame.h"
#include "wire/frame_codec.h"

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

}  // namespace

}  // namespace tavrel

BENCHMARK_MAIN();
