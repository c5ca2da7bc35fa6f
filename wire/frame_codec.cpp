#include "wire/frame_codec.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>

#include "common/markup_document.h"
#include "wire/api_frame.h"
#include "wire/body_compressor.h"
#include "wire/frame_crc16.h"
#include "wire/little_endian.h"

namespace tavrel {

namespace {

// Bodies are zlib streams (RFC 1950), built by body_compressor.h and read with libdeflate: it
// reads push records back about twice as fast as zlib, and reads any zlib stream. One
// decompressor per thread, made at the thread's first frame: its state would otherwise be
// faulted in again for every frame.
struct DecompressorFree {
  void operator()(libdeflate_decompressor* decompressor) const {
    libdeflate_free_decompressor(decompressor);
  }
};

libdeflate_decompressor* ThreadDecompressor() {
  thread_local const std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor(
      libdeflate_alloc_decompressor());
  return decompressor.get();
}

// Inflates the zlib stream `stream` into `payload`, which must come out `length` bytes long.
// The earlier payload's bytes are overwritten: only what the string grows by is filled first.
bool Inflate(std::string_view stream, uint32_t length, std::string& payload) {
  libdeflate_decompressor* const decompressor = ThreadDecompressor();
  if (decompressor == nullptr) return false;
  payload.resize(length);
  size_t inflated = 0;
  return libdeflate_zlib_decompress(decompressor, stream.data(), stream.size(), payload.data(),
                                    length, &inflated) == LIBDEFLATE_SUCCESS &&
         inflated == length;
}

void AppendUint32(ByteBuffer& buffer, uint32_t value) {
  uint8_t bytes[4];
  StoreLittleEndian<uint32_t>(bytes, value);
  buffer.Append(bytes, sizeof bytes);
}

// The smallest offset from `from` on at which both sync patterns stand, or `length` when
// there is none.
size_t FindFrameStart(const uint8_t* bytes, size_t length, size_t from) {
  const size_t last = length - 12;
  for (size_t i = from; i <= last; ++i) {
    const void* sync1 = std::memchr(bytes + i, kFrameSync1[0], last + 1 - i);
    if (sync1 == nullptr) break;
    i = static_cast<size_t>(static_cast<const uint8_t*>(sync1) - bytes);
    if (std::memcmp(bytes + i, kFrameSync1, 4) == 0 &&
        std::memcmp(bytes + i + kFrameSync2Offset, kFrameSync2, 4) == 0) {
      return i;
    }
  }
  return length;
}

}  // namespace

FrameScan ScanFrame(ByteBuffer& buffer) {
  FrameSearch fresh;
  return ScanFrame(buffer, fresh);
}

FrameScan ScanFrame(ByteBuffer& buffer, FrameSearch& search) {
  const size_t length = buffer.Length();
  if (length <= kFrameScanMinimum) return FrameScan::kNeedMore;
  const size_t start = FindFrameStart(buffer.At(0), length, search.searched);
  if (start == length) {
    if (length > static_cast<size_t>(kFrameMaxLength)) {
      buffer.Clear();
      search.searched = 0;
    } else {
      // Offsets up to length - 12 hold no sync pattern; the later ones lack bytes yet.
      search.searched = length - 11;
    }
    return FrameScan::kNeedMore;
  }
  // From here on the front of the buffer moves, or the frame is taken: start again at 0.
  search.searched = 0;
  buffer.RemoveFront(start);

  const int32_t frameLength = LoadLittleEndian<int32_t>(buffer.At(kFrameLengthOffset));
  if (frameLength > 5 && frameLength <= kFrameMaxLength) {
    const size_t total = static_cast<size_t>(frameLength) + kFrameOverhead;
    if (buffer.Length() < total) return FrameScan::kNeedMore;
    if (std::memcmp(buffer.At(frameLength + 10), kFrameTrailer, 4) == 0) {
      if (FrameCrc16(buffer.At(0), static_cast<size_t>(frameLength) + 10) == 0) {
        return FrameScan::kComplete;
      }
      buffer.RemoveFront(total);
      return FrameScan::kDiscarded;
    }
  }
  buffer.RemoveFront(12);
  return FrameScan::kDiscarded;
}

std::optional<FrameParts> FrameAtFront(const ByteBuffer& buffer) {
  const int32_t frameLength = LoadLittleEndian<int32_t>(buffer.At(kFrameLengthOffset));
  const int32_t headerLength = LoadLittleEndian<int32_t>(buffer.At(kFrameHeaderLengthOffset));
  if (buffer.Length() < static_cast<size_t>(frameLength) + kFrameOverhead || headerLength < 0 ||
      headerLength > frameLength - 8) {
    return std::nullopt;
  }
  const char* header = reinterpret_cast<const char*>(buffer.At(kFrameHeaderOffset));
  return FrameParts{
      std::string_view(header, static_cast<size_t>(headerLength)),
      std::string_view(header + headerLength, static_cast<size_t>(frameLength - 8 - headerLength))};
}

bool TakeFrame(ByteBuffer& buffer, const FrameDispatch& dispatch) {
  const size_t total =
      static_cast<size_t>(LoadLittleEndian<int32_t>(buffer.At(kFrameLengthOffset))) +
      kFrameOverhead;
  bool decoded = false;
  if (const std::optional<FrameParts> parts = FrameAtFront(buffer)) {
    MarkupDocument header(MarkupBuild::kBridge);
    if (header.SetText(parts->header)) {
      dispatch(header);
      decoded = true;
    }
  }
  buffer.RemoveFront(total);
  return decoded;
}

void ProcessFrames(ByteBuffer& buffer, FrameSearch& search, const std::function<bool()>& stop,
                   const FrameDispatch& dispatch, const std::function<void()>& undecodable) {
  while (!stop()) {
    const FrameScan scan = ScanFrame(buffer, search);
    if (scan == FrameScan::kNeedMore) return;
    if (scan == FrameScan::kComplete && !TakeFrame(buffer, dispatch)) undecodable();
  }
}

bool DecodeFrameBody(int mode, std::string_view body, std::string& payload) {
  if (mode != kBodyCompressed) {
    payload.assign(body);
    return true;
  }
  if (body.size() >= 4) {
    const auto length = LoadLittleEndian<uint32_t>(body.data());
    if (length <= kFrameMaxCompressedPayload && Inflate(body.substr(4), length, payload)) {
      return true;
    }
  }
  payload.clear();
  return false;
}

FrameBuild BuildFrame(std::string_view header, std::string_view payload, int mode,
                      ByteBuffer& frame) {
  frame.Clear();
  frame.Append(kFrameSync1, 4);
  AppendUint32(frame, 0);  // L, written below
  frame.Append(kFrameSync2, 4);
  AppendUint32(frame, static_cast<uint32_t>(header.size()));
  frame.Append(header.data(), header.size());

  if (!payload.empty()) {
    if (mode == kBodyCompressed) {
      if (payload.size() + 36 >= kFrameMaxCompressedPayload) return FrameBuild::kTooLarge;
      // Room for the worst case, so that no payload fails for lack of it.
      frame.Reserve(4 + CompressedBodyBound(payload.size()));
      uint8_t* body = frame.End();
      StoreLittleEndian<uint32_t>(body, static_cast<uint32_t>(payload.size()));
      const size_t compressedLength = CompressBody(payload, body + 4);
      if (compressedLength == 0) return FrameBuild::kCompressionFailed;
      frame.SetLength(frame.Length() + 4 + compressedLength);
    } else {
      frame.Append(payload.data(), payload.size());
    }
  }

  StoreLittleEndian<uint32_t>(frame.At(kFrameLengthOffset),
                              static_cast<uint32_t>(frame.Length() - 8));
  const uint16_t crc = FrameCrc16(frame.At(0), frame.Length());
  const uint8_t crcBytes[2] = {static_cast<uint8_t>(crc & 0xFF), static_cast<uint8_t>(crc >> 8)};
  frame.Append(crcBytes, 2);
  frame.Append(kFrameTrailer, 4);
  return FrameBuild::kBuilt;
}

}  // namespace tavrel
