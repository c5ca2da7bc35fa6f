#include "wire/frame_crc16.h"

#include <array>

namespace tavrel {

namespace {

using CrcTables = std::array<std::array<uint16_t, 256>, 8>;

// Slicing by eight: tables[0][b] is the effect of eight shift-and-XOR steps on byte b;
// tables[k][b] is that of byte b followed by k zero bytes. Eight bytes then cost eight
// look-ups that do not wait for each other, instead of eight that do.
constexpr CrcTables MakeCrcTables() {
  CrcTables tables{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    uint16_t crc = static_cast<uint16_t>(byte);
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) != 0 ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    tables[0][byte] = crc;
  }
  for (std::size_t k = 1; k < tables.size(); ++k) {
    for (unsigned byte = 0; byte < 256; ++byte) {
      const uint16_t previous = tables[k - 1][byte];
      tables[k][byte] = static_cast<uint16_t>((previous >> 8) ^ tables[0][previous & 0xFF]);
    }
  }
  return tables;
}

constexpr CrcTables kCrcTables = MakeCrcTables();

}  // namespace

uint16_t FrameCrc16(const uint8_t* data, size_t length) {
  uint16_t crc = 0xFFFF;
  if (data == nullptr) return crc;
  const auto& t = kCrcTables;
  for (; length >= 8; data += 8, length -= 8) {
    const unsigned low = (crc ^ data[0]) & 0xFF;
    const unsigned high = ((crc >> 8) ^ data[1]) & 0xFF;
    crc = static_cast<uint16_t>(t[7][low] ^ t[6][high] ^ t[5][data[2]] ^ t[4][data[3]] ^
                                t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]]);
  }
  for (; length > 0; ++data, --length) {
    crc = static_cast<uint16_t>((crc >> 8) ^ t[0][(crc ^ *data) & 0xFF]);
  }
  return crc;
}

}  // namespace tavrel
