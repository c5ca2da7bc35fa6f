// Fuzz target: any bytes as a client's TCP stream, cut into segments of the sizes the first
// bytes choose, through the frame layer's scan and take. Every frame found must have been
// removed from the buffer, a stream must never leave more than it was given, and a scan that
// resumes its search must leave what a scan from the front leaves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "common/markup_document.h"
#include "wire/byte_buffer.h"
#include "wire/frame_codec.h"

namespace tavrel {

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t segment = data[0] == 0 ? size : data[0];
  ++data;
  --size;
  ByteBuffer buffer(64);
  ByteBuffer fromFront(64);
  FrameSearch search;
  size_t given = 0;
  const auto dispatch = [](MarkupDocument& header) {
    header.FindElement("root");
    header.GetAttribute("type");
  };
  for (size_t at = 0; at < size; at += segment) {
    const size_t n = size - at < segment ? size - at : segment;
    buffer.Append(data + at, n);
    fromFront.Append(data + at, n);
    given += n;
    ProcessFrames(
        buffer, search, [] { return false; }, dispatch, [] {});
    for (FrameScan scan; (scan = ScanFrame(fromFront)) != FrameScan::kNeedMore;) {
      if (scan == FrameScan::kComplete) TakeFrame(fromFront, dispatch);
    }
    if (buffer.Length() > given || buffer.Length() != fromFront.Length()) std::abort();
  }
  return 0;
}

}  // namespace tavrel
