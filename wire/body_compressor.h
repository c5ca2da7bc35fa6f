// The compression of frame bodies: a whole payload at once into a zlib stream (RFC 1950), which
// any zlib reader reads back. Every push frame of over 2 KiB is compressed, once for all the
// clients, on the API thread: its speed bounds how many updates a second the bridge passes on.
//
// Each thread compresses with state of its own, made at its first call (a few hundred
// kilobytes, which would otherwise be faulted in again for every frame); any thread may call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tavrel {

// The most bytes the zlib stream of `length` payload bytes can take.
std::size_t CompressedBodyBound(std::size_t length);

// Writes the zlib stream of `payload` to `out`, which has room for
// CompressedBodyBound(payload.size()) bytes. Returns the stream's length, or 0 when the
// compressor could not be made or failed.
std::size_t CompressBody(std::string_view payload, std::uint8_t* out);

}  // namespace tavrel
