// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace orlenta {

// The checksums formats carry over their own bytes, each taken a piece at a time: pass
// the value returned for the bytes before (the start value for the first piece).

// CRC-32 as zlib and PNG compute it: start with 0, the result is the checksum.
uint32_t Crc32(uint32_t crc, const uint8_t* bytes, std::size_t size);

// Ogg's page CRC (polynomial 0x04C11DB7, most significant bit first, no inversion): start
// with 0, the result is the checksum.
uint32_t OggCrc(uint32_t crc, const uint8_t* bytes, std::size_t size);

// CRC-16 with the polynomial x^16 + x^15 + x^2 + 1 (0x8005), most significant bit first,
// no inversion, as FLAC frames, AC-3 frames and MPEG audio frames use it; each format
// chooses its start value.
uint16_t Crc16(uint16_t crc, const uint8_t* bytes, std::size_t size);

// The same CRC over the first `bits` bits (most significant first) of `byte`: for data
// that ends inside a byte.
uint16_t Crc16Bits(uint16_t crc, uint8_t byte, uint32_t bits);

}  // namespace orlenta
