// SPDX-License-Identifier: GPL-3.0-or-later
// The checksums against their published check values (the CRC of "123456789"), whole and
// taken in pieces of every size, over long runs against the same taken a byte at a time,
// and the CRC-16 over bits against the same over bytes.
#include "engine/formats/checksums.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace orlenta {
namespace {

constexpr uint8_t kCheck[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

struct Checksum {
  const char* name;
  std::function<uint32_t(uint32_t, const uint8_t*, std::size_t)> run;
  uint32_t start;
  uint32_t expected;
};

std::vector<Checksum> Checksums() {
  return {
      {"CRC-32", Crc32, 0, 0xCBF43926u},
      {"Ogg", OggCrc, 0, 0x89A1897Fu},
      {"CRC-16 from 0",
       [](uint32_t c, const uint8_t* b, std::size_t n) {
         return uint32_t{Crc16(static_cast<uint16_t>(c), b, n)};
       },
       0, 0xFEE8u},
      {"CRC-16 from 0xFFFF",
       [](uint32_t c, const uint8_t* b, std::size_t n) {
         return uint32_t{Crc16(static_cast<uint16_t>(c), b, n)};
       },
       0xFFFF, 0xAEE7u},
  };
}

TEST(Checksums, GiveTheCheckValueWholeAndInPieces) {
  for (const Checksum& sum : Checksums()) {
    EXPECT_EQ(sum.run(sum.start, kCheck, sizeof kCheck), sum.expected) << sum.name;
    for (std::size_t cut = 0; cut <= sizeof kCheck; ++cut) {
      const uint32_t first = sum.run(sum.start, kCheck, cut);
      EXPECT_EQ(sum.run(first, kCheck + cut, sizeof kCheck - cut), sum.expected)
          << sum.name << " cut at " << cut;
    }
  }
}

// Several bytes at a time must give what one byte at a time gives, over every table entry.
TEST(Checksums, LongRunsMatchByteAtATime) {
  std::vector<uint8_t> bytes(4099);
  uint32_t seed = 12345;
  for (uint8_t& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 16);
  }
  for (const Checksum& sum : Checksums()) {
    uint32_t byteAtATime = sum.start;
    for (const uint8_t& b : bytes) byteAtATime = sum.run(byteAtATime, &b, 1);
    EXPECT_EQ(sum.run(sum.start, bytes.data(), bytes.size()), byteAtATime) << sum.name;
  }
}

TEST(Checksums, Crc16OverBitsMatchesWholeBytes) {
  uint16_t byBits = 0xFFFF;
  for (const uint8_t byte : kCheck) {
    byBits = Crc16Bits(Crc16Bits(byBits, byte, 3), static_cast<uint8_t>(byte << 3), 5);
  }
  EXPECT_EQ(byBits, 0xAEE7u);
}

}  // namespace
}  // namespace orlenta
