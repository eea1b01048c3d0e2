// SPDX-License-Identifier: GPL-3.0-or-later
// make_raw_image INPUT OUTPUT
//
// Writes INPUT, a plain image of 2,048-byte sectors, as a raw Mode 1 image: every sector
// framed in 2,352 bytes with sync, header and filler where the error correction would be,
// as a ripping tool leaves a data CD. Carving both shows what reading raw sectors costs.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kData = 2048;
constexpr std::size_t kRaw = 2352;
constexpr std::size_t kSectorsPerBlock = 4096;

uint8_t Bcd(uint64_t value) {
  return static_cast<uint8_t>((value / 10) << 4 | (value % 10));
}

void Frame(const uint8_t* data, uint64_t address, uint8_t* raw) {
  std::memset(raw, 0xFF, 12);
  raw[0] = raw[11] = 0x00;
  const uint64_t frames = address + 150;
  raw[12] = Bcd(frames / 75 / 60 % 100);
  raw[13] = Bcd(frames / 75 % 60);
  raw[14] = Bcd(frames % 75);
  raw[15] = 1;
  std::memcpy(raw + 16, data, kData);
  std::memset(raw + 16 + kData, 0xA5, kRaw - 16 - kData);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_raw_image INPUT OUTPUT\n");
    return 2;
  }
  std::FILE* in = std::fopen(argv[1], "rb");
  std::FILE* out = in ? std::fopen(argv[2], "wb") : nullptr;
  if (!in || !out) {
    std::perror(in ? argv[2] : argv[1]);
    return 1;
  }
  std::vector<uint8_t> data(kSectorsPerBlock * kData);
  std::vector<uint8_t> raw(kSectorsPerBlock * kRaw);
  uint64_t address = 0;
  for (;;) {
    const std::size_t sectors = std::fread(data.data(), 1, data.size(), in) / kData;
    if (sectors == 0) break;
    for (std::size_t i = 0; i < sectors; ++i) {
      Frame(data.data() + i * kData, address++, raw.data() + i * kRaw);
    }
    if (std::fwrite(raw.data(), kRaw, sectors, out) != sectors) {
      std::perror(argv[2]);
      return 1;
    }
  }
  const bool failed = std::ferror(in) || std::fclose(out) != 0;
  std::fclose(in);
  return failed ? 1 : 0;
}
