// What the API thread spends on the two largest things it makes, before and after they were
// made cheaper:
//
//   snapshot  the body of a value snapshot (type 1) of 100,000 tags: built as a markup
//             document, element by element (before), and written as an element list (now);
//             both give the same bytes, which the run checks.
//   framing   compressed frames of one millisecond of pushes (1,000 records) and of the snapshot:
//             with zlib's compress2, which sets up and frees its state for every frame
//             (before), and with BuildFrame, libdeflate's compressor kept per thread (now).
//
// The run uses the bridge's allocator settings (allocator_settings.h), under which the state
// compress2 frees is given back to the system and faulted in again for each frame. Each figure
// is the median of several runs; the ratios are before / now.
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bridge/core/allocator_settings.h"
#include "bridge/opc/body_document.h"
#include "bridge/opc/body_element_list.h"
#include "wire/api_frame.h"
#include "wire/frame_codec.h"
#include "wire/push_record.h"

namespace tavrel {

namespace {

constexpr int kTags = 100'000;
constexpr int kRuns = 7;

// Median seconds of `kRuns` runs of `work`.
double MedianSeconds(const std::function<void()>& work) {
  std::vector<double> seconds;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    work();
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(seconds.begin(), seconds.begin() + kRuns / 2, seconds.end());
  return seconds[kRuns / 2];
}

// A snapshot body of kTags elements, with the attributes and value shapes of the real one.
template <typename Body>
std::string SnapshotText(Body body) {
  char real[64];
  for (int tag = 0; tag < kTags; ++tag) {
    body.AddElement("t");
    std::snprintf(real, sizeof real, "%lf", tag * 1.25);
    body.SetAttribute("v", real);
    body.SetAttribute("s", "1796716038");
    body.SetAttribute("ms", tag % 1000);
    body.SetAttribute("q", 0);
    body.SetAttribute("h", tag);
    body.SetAttribute(
        "k", "SimTreeBulk" + std::to_string(tag / 1000) + "Bulk.Item" + std::to_string(tag));
  }
  if constexpr (std::is_same_v<Body, BodyElementList>) {
    return body.TakeText();
  } else {
    return body.GetText();
  }
}

// The frame's payload compressed the way frames were built before: compress2 per frame.
std::size_t Compress2(const std::string& payload) {
  uLongf length = compressBound(static_cast<uLong>(payload.size()));
  std::vector<Bytef> out(length);
  compress2(out.data(), &length, reinterpret_cast<const Bytef*>(payload.data()),
            static_cast<uLong>(payload.size()), Z_BEST_SPEED);
  return length;
}

void PrintFraming(const char* name, const std::string& payload, int frames) {
  const std::string header = "<root ver=\"0\" type=\"1\" uid=\"0\" flag=\"2\"/>";
  ByteBuffer frame;
  std::size_t sink = 0;
  const double before = MedianSeconds([&] {
    for (int i = 0; i < frames; ++i) sink += Compress2(payload);
  });
  const double now = MedianSeconds([&] {
    for (int i = 0; i < frames; ++i) {
      BuildFrame(header, payload, kBodyCompressed, frame);
      sink += frame.Length();
    }
  });
  std::printf(
      "framing %s (%zu bytes): compress2 %.1f us, BuildFrame %.1f us per frame; ratio %.2f"
      " (%zu)\n",
      name, payload.size(), before / frames * 1e6, now / frames * 1e6, before / now, sink % 10);
}

}  // namespace

}  // namespace tavrel

int main() {
  using namespace tavrel;
  UseBridgeAllocatorSettings();
  std::string documentText;
  std::string listText;
  const double document = MedianSeconds([&] { documentText = SnapshotText(NewBodyDocument()); });
  const double list = MedianSeconds([&] { listText = SnapshotText(BodyElementList(kTags)); });
  std::printf(
      "snapshot body of %d tags (%.1f MB): document %.1f ms, element list %.1f ms; "
      "ratio %.1f; same bytes: %s\n",
      kTags, listText.size() / 1e6, document * 1e3, list * 1e3, document / list,
      documentText == listText ? "yes" : "NO");
  // A millisecond of pushes under the soak's load: 1,000 real values of consecutive tags.
  ByteBuffer records;
  for (int tag = 0; tag < 1000; ++tag) {
    AppendPushRecord(records, {.handle = tag,
                               .seconds = 1796716038,
                               .milliseconds = static_cast<std::uint16_t>(tag % 1000),
                               .valueClass = 1,
                               .updateCount = 1234u + static_cast<std::uint32_t>(tag),
                               .real = tag * 0.37});
  }
  // As in the bridge: on a thread of its own (so in an allocator arena of its own), while
  // another thread of the process runs.
  std::atomic<bool> framed{false};
  std::thread busy([&] {
    while (!framed.load(std::memory_order_relaxed)) {
    }
  });
  std::thread([&] {
    PrintFraming("of pushes",
                 std::string(reinterpret_cast<const char*>(records.At(0)), records.Length()), 2000);
    PrintFraming("of the snapshot", listText, 3);
  }).join();
  framed = true;
  busy.join();
  return documentText == listText ? 0 : 1;
}
