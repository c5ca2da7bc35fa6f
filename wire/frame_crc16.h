// FrameCrc16: the CRC of API frames. Reflected polynomial 0xA001, initial value 0xFFFF, no
// final XOR, least significant bit first. The CRC of "123456789" is 0x4B37.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tavrel {

// An absent `data` yields the initial value 0xFFFF.
uint16_t FrameCrc16(const uint8_t* data, size_t length);

}  // namespace tavrel
