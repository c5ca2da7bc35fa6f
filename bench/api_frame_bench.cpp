// The API's frame layer (wire/).
//
//   BM_ScanTakeDispatch  request frames through scan, take and a dispatch that reads the
//                        header's root: frames per second and MB/s.
//   BM_ScanNoise         10 MiB of 0x68 bytes that never form a header, arriving 4096 bytes
//                        at a time as a client's receive buffer takes them: the time for all.
//   BM_CompressPushes    the body of one millisecond of pushes at a million updates a second
//                        (1,000 real records of consecutive tags stamped alike, as a busy
//                        group's): MB/s of records, and the ratio of their size to the body's.
//   BM_AppendPushes      10,000 of those records appended as the bridge gathers pushes:
//                        records per second.
//   BM_ReadPushes        the same records read back as a client reads a push body: records
//                        per second.
//   BM_FrameCrc16        the CRC of a frame of a compressed millisecond of pushes: MB/s.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/markup_declarations.h"
#include "common/markup_document.h"
#include "wire/api_frame.h"
#include "wire/body_compressor.h"
#include "wire/frame_codec.h"
#include "wire/frame_crc16.h"
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

// The push record of consecutive real tag `tag` of a busy group, stamped as the others.
PushRecord BusyGroupRecord(int tag) {
  return PushRecord{.handle = tag,
                    .seconds = 1765300000,
                    .milliseconds = 300,
                    .valueClass = 1,
                    .updateCount = 5000,
                    .real = 50 + 50 * std::sin(tag * 0.37)};
}

// The push records of `count` consecutive tags of a busy group.
std::string BusyGroupRecords(std::int64_t count) {
  ByteBuffer records;
  for (int tag = 0; tag < count; ++tag) AppendPushRecord(records, BusyGroupRecord(tag));
  return std::string(reinterpret_cast<const char*>(records.At(0)), records.Length());
}

void BM_CompressPushes(benchmark::State& state) {
  const std::string payload = BusyGroupRecords(state.range(0));
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

void BM_AppendPushes(benchmark::State& state) {
  std::vector<PushRecord> records;
  for (int tag = 0; tag < 10000; ++tag) records.push_back(BusyGroupRecord(tag));
  ByteBuffer pushes;
  for (auto _ : state) {
    pushes.ClearKeeping(std::size_t{1} << 20);
    for (const PushRecord& record : records) AppendPushRecord(pushes, record);
    benchmark::DoNotOptimize(pushes.At(0));
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_AppendPushes)->Unit(benchmark::kMicrosecond);

void BM_ReadPushes(benchmark::State& state) {
  const std::string payload = BusyGroupRecords(10000);
  std::vector<PushRecord> records;
  for (auto _ : state) {
    records.clear();
    ReadPushRecords(payload, records);
    benchmark::DoNotOptimize(records.data());
  }
  state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_ReadPushes)->Unit(benchmark::kMicrosecond);

void BM_FrameCrc16(benchmark::State& state) {
  const std::string payload = BusyGroupRecords(10000);
  std::vector<std::uint8_t> body(CompressedBodyBound(payload.size()));
  body.resize(CompressBody(payload, body.data()));
  std::uint16_t crc = 0;
  for (auto _ : state) {
    crc ^= FrameCrc16(body.data(), body.size());
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(body.size()));
}
BENCHMARK(BM_FrameCrc16)->Unit(benchmark::kMicrosecond);

}  // namespace

}  // namespace tavrel

BENCHMARK_MAIN();
