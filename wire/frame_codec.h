// Finding, checking and decoding API frames in a byte stream, and building them.
// The layout and its constants are in wire/api_frame.h.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "wire/byte_buffer.h"

namespace tavrel {

class MarkupDocument;

enum class FrameScan {
  kNeedMore = -1,  // nothing to do until more bytes arrive
  kComplete = 0,   // a complete frame with a correct CRC starts at offset 0
  kDiscarded = 1,  // bytes were discarded; scan again
};

// Looks for a complete frame at the front of `buffer`, discarding noise before it, frames
// with a bad CRC, and 12 bytes of a candidate whose length or trailer is impossible.
FrameScan ScanFrame(ByteBuffer& buffer);

// How far the front of a receive buffer is known to hold no frame start: the offsets a scan
// found no sync pattern at, while the buffer only grew at its end since. Kept beside the
// buffer from one scan to the next, so that noise that never forms a header is looked at once,
// not again at each arrival (which costs the square of its length).
struct FrameSearch {
  size_t searched = 0;
};
// ScanFrame resuming at `search`, with the same result and the same bytes discarded.
FrameScan ScanFrame(ByteBuffer& buffer, FrameSearch& search);

// The header text and the body bytes of the frame at the front of `buffer` (after ScanFrame
// returned kComplete); none when its header length does not fit the frame. The views point
// into the buffer.
struct FrameParts {
  std::string_view header;
  std::string_view body;
};
std::optional<FrameParts> FrameAtFront(const ByteBuffer& buffer);

// Decodes the frame at the front of `buffer` (after ScanFrame returned kComplete), hands its
// header document to `dispatch` and removes the frame. Returns false when the header could
// not be decoded; the frame is removed all the same.
using FrameDispatch = std::function<void(MarkupDocument& header)>;
bool TakeFrame(ByteBuffer& buffer, const FrameDispatch& dispatch);

// Scans (resuming at `search`) and takes frames until more bytes are needed or `stop` returns
// true. Every frame that cannot be decoded is reported to `undecodable`.
void ProcessFrames(ByteBuffer& buffer, FrameSearch& search, const std::function<bool()>& stop,
                   const FrameDispatch& dispatch, const std::function<void()>& undecodable);

// The payload of a body in `mode`: raw bodies unchanged, compressed ones inflated. False on a
// compressed body that is cut short, corrupt, or longer than a frame may carry.
bool DecodeFrameBody(int mode, std::string_view body, std::string& payload);

enum class FrameBuild {
  kBuilt,
  kTooLarge,           // a compressed body of this size is refused
  kCompressionFailed,  // zlib failed
};

// Builds a frame in `frame` (which is cleared first) around `header`, whose `flag` attribute
// already names `mode`, and `payload` (raw or compressed as `mode` says; no body when empty).
FrameBuild BuildFrame(std::string_view header, std::string_view payload, int mode,
                      ByteBuffer& frame);

}  // namespace tavrel
