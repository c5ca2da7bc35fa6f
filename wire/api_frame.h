// The envelope of every API message between the bridge and its clients, in both directions.
//
// Frame layout (integers little-endian; L = 8 + X + B):
//
//   offset 0       4 bytes  sync 1: 68 68 16 16
//   offset 4       4 bytes  L, unsigned: bytes from offset 8 up to the CRC
//   offset 8       4 bytes  sync 2: 68 68 68 68
//   offset 12      4 bytes  X, signed: length of the XML header
//   offset 16      X bytes  XML header: a GBK markup document, no terminating zero
//   offset 16+X    B bytes  body, as the header's `flag` attribute says (BodyMode)
//   offset L+8     2 bytes  CRC-16 (FrameCrc16) of bytes 0 .. L+7, low byte first
//   offset L+10    4 bytes  trailer: 55 AA 55 AA
//
// A frame is L + 14 bytes long. Because the CRC is stored low byte first, the CRC of bytes
// 0 .. L+9 of a correct frame is 0.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrel {

inline constexpr uint8_t kFrameSync1[4] = {0x68, 0x68, 0x16, 0x16};
inline constexpr uint8_t kFrameSync2[4] = {0x68, 0x68, 0x68, 0x68};
inline constexpr uint8_t kFrameTrailer[4] = {0x55, 0xAA, 0x55, 0xAA};

inline constexpr size_t kFrameLengthOffset = 4;
inline constexpr size_t kFrameSync2Offset = 8;
inline constexpr size_t kFrameHeaderLengthOffset = 12;
inline constexpr size_t kFrameHeaderOffset = 16;
// Bytes of a frame outside the L counted ones: sync 1, L, CRC and trailer.
inline constexpr size_t kFrameOverhead = 14;

// A receiver waits for more than this many bytes before it looks for a frame.
inline constexpr size_t kFrameScanMinimum = 17;
// Largest L a receiver accepts; also the most bytes it keeps without any sync pattern.
inline constexpr int32_t kFrameMaxLength = 10485760;
// A compressed body is refused when its payload plus 36 bytes reaches this size.
inline constexpr size_t kFrameMaxCompressedPayload = 19999600;

// The format of a body, given by the integer in the header root's `flag` attribute.
enum BodyMode : int {
  kBodyNone = 0,        // no body
  kBodyRaw = 1,         // the payload unchanged
  kBodyCompressed = 2,  // the payload's length (4 bytes), then a zlib stream (any level)
};

// Payloads of at least this many bytes are sent compressed, smaller ones raw.
inline constexpr size_t kFrameCompressFrom = 2049;
// The body mode of a payload of `size` bytes (an empty one is sent raw, as no body).
inline int BodyModeFor(size_t size) {
  return size < kFrameCompressFrom ? kBodyRaw : kBodyCompressed;
}

// Logged when a frame passed its checks but its header is no document.
inline constexpr char kUndecodableFrameText[] = "校验成功，但无法解析，缓冲强制清零!";

}  // namespace tavrel
