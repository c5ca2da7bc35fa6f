// Bodies compressed with libdeflate at its fastest level, where ISA-L is not built (Windows).
#include <libdeflate.h>

#include <memory>

#include "wire/body_compressor.h"

namespace tavrel {

namespace {

struct CompressorFree {
  void operator()(libdeflate_compressor* compressor) const {
    libdeflate_free_compressor(compressor);
  }
};

libdeflate_compressor* ThreadCompressor() {
  thread_local const std::unique_ptr<libdeflate_compressor, CompressorFree> compressor(
      libdeflate_alloc_compressor(1));
  return compressor.get();
}

}  // namespace

std::size_t CompressedBodyBound(std::size_t length) {
  // The bound does not depend on the compressor's state (libdeflate documents a null one).
  return libdeflate_zlib_compress_bound(nullptr, length);
}

std::size_t CompressBody(std::string_view payload, std::uint8_t* out) {
  libdeflate_compressor* const compressor = ThreadCompressor();
  if (compressor == nullptr) return 0;
  return libdeflate_zlib_compress(compressor, payload.data(), payload.size(), out,
                                  CompressedBodyBound(payload.size()));
}

}  // namespace tavrel
