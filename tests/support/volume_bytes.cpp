// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/volume_bytes.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/sector_buffer.h"

namespace orlenta {
namespace {

// The smallest header each kind's detection accepts, with a plausible rest.
std::vector<uint8_t> HeaderBytes(int kind) {
  using B = std::vector<uint8_t>;
  auto text = [](std::string_view s) { return B(s.begin(), s.end()); };
  switch (kind) {
    case 1:
      return {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00};
    case 2:
      return text("GIF89a");
    case 3:
      return {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    case 4:
      return text(
          std::string_view("RIFF\x24\x08\x00\x00"
                           "AVI LIST",
                           16));
    case 5:
      return text(
          std::string_view("RIFF\x24\x08\x00\x00"
                           "WAVEfmt ",
                           16));
    case 6:
      return {0x00, 0x00, 0x00, 0x20, 'm', 'o', 'o', 'v'};
    case 7:
      return {'B', 'M', 0x36, 0x10, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0};
    case 8:
      return {'I', 'D', '3', 0x03, 0x00, 0x00};
    case 9:
      return {0x00, 0x00, 0x01, 0xBA, 0x21, 0x00, 0x01, 0x00,
              0x01, 0x80, 0x1B, 0x91, 0x00, 0x00, 0x01, 0xBB};
    case 10:
      return {0x00, 0x00, 0x00, 0x08, 'm', 'd', 'a', 't'};
    default:
      return {};
  }
}

}  // namespace

std::vector<uint8_t> MakeSector(int kind, uint64_t index, uint32_t sectorSize) {
  std::vector<uint8_t> sector(sectorSize);
  uint32_t state = static_cast<uint32_t>(index) * 2654435761u + 12345u;
  for (auto& byte : sector) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<uint8_t>((state >> 16) & 0x3F);
  }
  const std::vector<uint8_t> header = HeaderBytes(kind);
  std::copy(header.begin(), header.end(), sector.begin());
  return sector;
}

std::vector<uint8_t> BuildVolume(uint64_t sectorCount,
                                 const std::vector<std::pair<uint64_t, int>>& headers,
                                 uint32_t sectorSize) {
  std::vector<uint8_t> volume;
  volume.reserve(sectorCount * sectorSize);
  for (uint64_t i = 0; i < sectorCount; ++i) {
    int kind = 0;
    for (const auto& [at, k] : headers) {
      if (at == i) kind = k;
    }
    const std::vector<uint8_t> sector = MakeSector(kind, i, sectorSize);
    volume.insert(volume.end(), sector.begin(), sector.end());
  }
  return volume;
}

std::vector<uint8_t> SectorRange(const std::vector<uint8_t>& volume, uint64_t first, uint64_t count,
                                 uint32_t sectorSize) {
  const auto begin = volume.begin() + static_cast<std::ptrdiff_t>(first * sectorSize);
  return std::vector<uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(count * sectorSize));
}

void ResetEngineState() {
  SectorBuffer.fill(0);
  DriveGeometry = {};
  TotalSectors = 0;
  StopFlag = false;
}

}  // namespace orlenta
