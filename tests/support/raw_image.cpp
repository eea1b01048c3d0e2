// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/raw_image.h"

#include <algorithm>
#include <cstdio>

namespace orlenta {
namespace {

constexpr uint32_t kRaw = 2352;

uint8_t Bcd(uint64_t value) {
  return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}

// Sync and the header: the address as minutes, seconds and frames (two seconds of lead-in
// added, as on a disc) and the mode.
void WriteHeader(uint8_t* sector, uint64_t address, RawMode mode) {
  sector[0] = 0x00;
  std::fill(sector + 1, sector + 11, uint8_t{0xFF});
  sector[11] = 0x00;
  const uint64_t frames = address + 150;
  sector[12] = Bcd(frames / 75 / 60);
  sector[13] = Bcd(frames / 75 % 60);
  sector[14] = Bcd(frames % 75);
  sector[15] = mode == RawMode::kMode1 ? 1 : 2;
}

}  // namespace

uint32_t DataBytesPerSector(RawMode mode) {
  return mode == RawMode::kMode2Form2 ? 2324 : 2048;
}

std::vector<uint8_t> FrameRawSectors(const std::vector<uint8_t>& data, RawMode mode,
                                     uint64_t firstAddress) {
  const uint32_t size = DataBytesPerSector(mode);
  const uint64_t sectors = (data.size() + size - 1) / size;
  const uint32_t dataAt = mode == RawMode::kMode1 ? 16 : 24;
  std::vector<uint8_t> raw(sectors * kRaw);
  for (uint64_t s = 0; s < sectors; ++s) {
    uint8_t* sector = raw.data() + s * kRaw;
    WriteHeader(sector, firstAddress + s, mode);
    if (mode != RawMode::kMode1) {
      // File 1, channel 0; submode: data (Form 1) or real-time video in Form 2.
      const uint8_t submode = mode == RawMode::kMode2Form2 ? 0x62 : 0x08;
      const uint8_t subheader[4] = {0x01, 0x00, submode, 0x00};
      std::copy(subheader, subheader + 4, sector + 16);
      std::copy(subheader, subheader + 4, sector + 20);
    }
    const uint64_t from = s * size;
    const uint64_t length = std::min<uint64_t>(size, data.size() - from);
    std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(from), length, sector + dataAt);
    for (uint32_t i = dataAt + size; i < kRaw; ++i) {
      sector[i] = static_cast<uint8_t>(0xA0 + (s + i) % 0x5F);
    }
  }
  return raw;
}

std::vector<uint8_t> WithSubchannel(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out;
  for (std::size_t at = 0; at + kRaw <= raw.size(); at += kRaw) {
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
               raw.begin() + static_cast<std::ptrdiff_t>(at + kRaw));
    for (uint32_t i = 0; i < 96; ++i)
      out.push_back(static_cast<uint8_t>(0x40 | (at / kRaw + i) % 0x3F));
  }
  return out;
}

void DamageSync(std::vector<uint8_t>& raw, uint64_t sector) {
  raw[sector * kRaw + 3] ^= 0x5A;
  raw[sector * kRaw + 11] = 0x77;
}

std::string CueTime(uint64_t frames) {
  char text[64];
  std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu",
                static_cast<unsigned long long>(frames / 75 / 60),
                static_cast<unsigned long long>(frames / 75 % 60),
                static_cast<unsigned long long>(frames % 75));
  return text;
}

}  // namespace orlenta
