// SPDX-License-Identifier: GPL-3.0-or-later
#include "udf_descriptor.h"

#include <array>

#include "iso_record.h"

namespace orlenta {
namespace {

constexpr std::size_t kTagBytes = 16;

constexpr std::array<uint16_t, 256> CrcTable() {
  std::array<uint16_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t crc = i << 8;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1;
    table[i] = static_cast<uint16_t>(crc);
  }
  return table;
}

}  // namespace

uint16_t UdfCrc(std::span<const uint8_t> bytes) {
  static constexpr std::array<uint16_t, 256> kTable = CrcTable();
  uint16_t crc = 0;
  for (const uint8_t byte : bytes) {
    crc = static_cast<uint16_t>((crc << 8) ^ kTable[((crc >> 8) ^ byte) & 0xFF]);
  }
  return crc;
}

bool IsUdfDescriptor(std::span<const uint8_t> bytes, UdfTagId id,
                     std::optional<uint32_t> location) {
  if (bytes.size() < kTagBytes || Le16(bytes, 0) != static_cast<uint16_t>(id)) return false;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  return true;
#endif
  uint8_t sum = 0;
  for (std::size_t i = 0; i < kTagBytes; ++i) {
    if (i != 4) sum = static_cast<uint8_t>(sum + bytes[i]);
  }
  if (sum != bytes[4]) return false;
  if (location && Le32(bytes, 12) != *location) return false;
  const uint16_t crcLength = Le16(bytes, 10);
  if (crcLength > bytes.size() - kTagBytes) return false;
  return UdfCrc(bytes.subspan(kTagBytes, crcLength)) == Le16(bytes, 8);
}

UdfAllocation ParseLongAllocation(std::span<const uint8_t> bytes) {
  const uint32_t length = Le32(bytes, 0);
  return {length & 0x3FFFFFFF,
          static_cast<UdfAllocation::Kind>(length >> 30),
          {Le16(bytes, 8), Le32(bytes, 4)}};
}

uint64_t Le64(std::span<const uint8_t> bytes, std::size_t at) {
  return Le32(bytes, at) | (uint64_t{Le32(bytes, at + 4)} << 32);
}

}  // namespace orlenta
