// SPDX-License-Identifier: GPL-3.0-or-later
#include "checksums.h"

#include <array>

namespace orlenta {
namespace {

// Tables for several bytes at a time: checksums run over whole pictures and sounds, so
// they must keep up with the disc. PNG's CRC-32 covers every byte of a picture: eight at a
// time.
using Tables = std::array<std::array<uint32_t, 256>, 4>;
using WideTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr WideTables ReflectedTables() {
  WideTables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i) {
    for (std::size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  }
  return t;
}

constexpr Tables DirectTables() {
  Tables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i << 24;
    for (int k = 0; k < 8; ++k) c = (c & 0x80000000u) != 0 ? (c << 1) ^ 0x04C11DB7u : c << 1;
    t[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i) {
    for (std::size_t k = 1; k < 4; ++k) t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 24];
  }
  return t;
}

// FLAC and AC-3 frames are covered whole by their CRC-16: eight bytes at a time too.
// Table k gives the CRC of a byte followed by k zero bytes.
using Crc16Tables = std::array<std::array<uint16_t, 256>, 8>;

constexpr Crc16Tables Crc16TablesFor() {
  Crc16Tables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint16_t c = static_cast<uint16_t>(i << 8);
    for (int k = 0; k < 8; ++k) {
      c = static_cast<uint16_t>((c & 0x8000) != 0 ? (c << 1) ^ 0x8005 : c << 1);
    }
    t[0][i] = c;
  }
  for (uint32_t i = 0; i < 256; ++i) {
    for (std::size_t k = 1; k < 8; ++k) {
      t[k][i] = static_cast<uint16_t>(t[k - 1][i] << 8 ^ t[0][t[k - 1][i] >> 8]);
    }
  }
  return t;
}

constexpr WideTables kReflected = ReflectedTables();
constexpr Tables kDirect = DirectTables();
constexpr Crc16Tables kCrc16 = Crc16TablesFor();

}  // namespace

uint32_t Crc32(uint32_t crc, const uint8_t* bytes, std::size_t size) {
  uint32_t c = ~crc;
  for (; size >= 8; size -= 8, bytes += 8) {
    c ^= uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
    c = kReflected[7][c & 0xFF] ^ kReflected[6][(c >> 8) & 0xFF] ^ kReflected[5][(c >> 16) & 0xFF] ^
        kReflected[4][c >> 24] ^ kReflected[3][bytes[4]] ^ kReflected[2][bytes[5]] ^
        kReflected[1][bytes[6]] ^ kReflected[0][bytes[7]];
  }
  for (; size > 0; --size, ++bytes) c = kReflected[0][(c ^ *bytes) & 0xFF] ^ (c >> 8);
  return ~c;
}

uint32_t OggCrc(uint32_t crc, const uint8_t* bytes, std::size_t size) {
  uint32_t c = crc;
  for (; size >= 4; size -= 4, bytes += 4) {
    c ^= uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 |
         uint32_t{bytes[3]};
    c = kDirect[3][c >> 24] ^ kDirect[2][(c >> 16) & 0xFF] ^ kDirect[1][(c >> 8) & 0xFF] ^
        kDirect[0][c & 0xFF];
  }
  for (; size > 0; --size, ++bytes) c = (c << 8) ^ kDirect[0][(c >> 24) ^ *bytes];
  return c;
}

uint16_t Crc16(uint16_t crc, const uint8_t* bytes, std::size_t size) {
  for (; size >= 8; size -= 8, bytes += 8) {
    const uint32_t c = crc ^ (uint32_t{bytes[0]} << 8 | bytes[1]);
    crc = static_cast<uint16_t>(kCrc16[7][c >> 8] ^ kCrc16[6][c & 0xFF] ^ kCrc16[5][bytes[2]] ^
                                kCrc16[4][bytes[3]] ^ kCrc16[3][bytes[4]] ^ kCrc16[2][bytes[5]] ^
                                kCrc16[1][bytes[6]] ^ kCrc16[0][bytes[7]]);
  }
  for (; size > 0; --size, ++bytes) {
    crc = static_cast<uint16_t>(crc << 8 ^ kCrc16[0][(crc >> 8) ^ *bytes]);
  }
  return crc;
}

uint16_t Crc16Bits(uint16_t crc, uint8_t byte, uint32_t bits) {
  for (uint32_t i = 0; i < bits; ++i) {
    const bool feedback = ((crc >> 15) ^ (byte >> (7 - i))) & 1;
    crc = static_cast<uint16_t>(crc << 1);
    if (feedback) crc ^= 0x8005;
  }
  return crc;
}

}  // namespace orlenta
