// Fuzz target: any bytes as a client's TCP stream, cut into segments of the sizes the first
// bytes choose, through the frame layer's scan and take. Every frame found must have been
// removed from the buffer, and a stream must never leave more than it was given.
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
  size_t given = 0;
  for (size_t at = 0; at < size; at += segment) {
    const size_t n = size - at < segment ? size - at : segment;
    buffer.Append(data + at, n);
    given += n;
    ProcessFrames(
        buffer, [] { return false; },
        [](MarkupDocument& header) {
          header.FindElement("root");
          header.GetAttribute("type");
        },
        [] {});
    if (buffer.Length() > given) std::abort();
  }
  return 0;
}

}  // namespace tavrel
