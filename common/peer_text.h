// Text that a peer sent, made fit for one line of a log.
//
// A peer chooses the bytes of a request URI or a file name; logged as they are, a long one
// makes a line as long, and a CR LF in one begins a line of the peer's making.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel {

// The most bytes of a peer's text that a log line carries.
inline constexpr size_t kPeerTextLogLimit = 1024;

// `text` (system code page) for a log line: cut after at most kPeerTextLogLimit bytes, on a
// character boundary, and then followed by "..."; every control character (0x00-0x1F, 0x7F)
// written as "\x" and two upper-case hex digits. Other bytes are kept.
std::string PeerTextForLog(std::string_view text);

}  // namespace tavrel
