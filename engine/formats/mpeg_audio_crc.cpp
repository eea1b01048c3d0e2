// SPDX-License-Identifier: GPL-3.0-or-later
// The CRC-16 an MPEG audio frame carries when its header asks for one. It covers the
// header's last two bytes and the bits that decoding depends on most, which lie straight
// after the CRC; how many there are depends on the layer, and for layer II on the bit
// allocation those bits themselves hold.
#include "mpeg_audio_crc.h"

#include "byte_window.h"
#include "checksums.h"

namespace orlenta {
namespace {

constexpr uint32_t kCrcOffset = 4;
constexpr uint32_t kCoveredOffset = 6;
constexpr uint32_t kSubbands = 32;

struct Layout {
  bool mpeg1;
  uint8_t layer;  // 1: III, 2: II, 3: I (as coded in the header)
  uint8_t rateIndex;
  uint32_t channels;
  uint32_t bound;  // subbands from here on carry one allocation for both channels
};

Layout ReadLayout(const uint8_t* d) {
  const uint8_t mode = d[3] >> 6;
  const bool jointStereo = mode == 1;
  return {((d[1] >> 3) & 3) == 3, static_cast<uint8_t>((d[1] >> 1) & 3),
          static_cast<uint8_t>((d[2] >> 2) & 3), mode == 3 ? 1u : 2u,
          jointStereo ? ((d[3] >> 4) & 3u) * 4 + 4 : kSubbands};
}

// Reads bits one field at a time, most significant first, never past its end.
class BitReader {
 public:
  BitReader(const uint8_t* bytes, std::size_t size) : bytes_(bytes), bits_(size * 8) {}
  bool Holds(uint32_t n) const { return bits_ - used_ >= n; }
  uint32_t Take(uint32_t n) {
    uint32_t value = 0;
    for (uint32_t i = 0; i < n; ++i, ++used_) {
      value = value << 1 | ((bytes_[used_ / 8] >> (7 - used_ % 8)) & 1u);
    }
    return value;
  }
  uint64_t Used() const { return used_; }

 private:
  const uint8_t* bytes_;
  uint64_t bits_;
  uint64_t used_ = 0;
};

// Layer II: which allocation table the frame uses, by bit rate per channel and sample
// rate, and how many subbands it codes and with how many allocation bits each.
struct AllocationTable {
  uint32_t subbands;
  uint32_t fourBitBands;   // subbands [0, fourBitBands) have 4 allocation bits
  uint32_t threeBitBands;  // then up to here 3, and 2 for the rest
};

AllocationTable LayerTwoTable(const Layout& f, uint32_t bitRate) {
  if (!f.mpeg1) return {30, 4, 11};
  const uint32_t perChannel = bitRate / f.channels;
  const bool rate48 = f.rateIndex == 1;
  const bool rate32 = f.rateIndex == 2;
  if ((rate48 && perChannel >= 56000) || (perChannel >= 56000 && perChannel <= 80000)) {
    return {27, 11, 23};
  }
  if (!rate48 && perChannel >= 96000) return {30, 11, 23};
  if (!rate32 && perChannel <= 48000) return {8, 2, 8};
  return {12, 2, 12};
}

uint32_t AllocationBits(const AllocationTable& table, uint32_t subband) {
  return subband < table.fourBitBands ? 4 : subband < table.threeBitBands ? 3 : 2;
}

// The covered bits of a layer II frame: each subband's allocation (one for both channels
// from the bound on), then two selection bits per channel for each subband that has any.
bool CoverLayerTwo(const Layout& f, uint32_t bitRate, BitReader& bits) {
  const AllocationTable table = LayerTwoTable(f, bitRate);
  const uint32_t bound = f.bound < table.subbands ? f.bound : table.subbands;
  uint32_t allocated = 0;  // subband-channel pairs with bits allocated
  for (uint32_t band = 0; band < table.subbands; ++band) {
    const uint32_t width = AllocationBits(table, band);
    const uint32_t coded = band < bound ? f.channels : 1;
    for (uint32_t ch = 0; ch < coded; ++ch) {
      if (!bits.Holds(width)) return false;
      if (bits.Take(width) != 0) allocated += band < bound ? 1 : f.channels;
    }
  }
  if (!bits.Holds(2 * allocated)) return false;
  bits.Take(2 * allocated);
  return true;
}

// How many covered bits follow the CRC; false when they do not fit in the bytes at hand.
bool CoveredBits(const Layout& f, uint32_t bitRate, const uint8_t* body, std::size_t size,
                 uint64_t& count) {
  BitReader bits(body, size);
  if (f.layer == 1) {
    const uint32_t sideInfo = f.mpeg1 ? (f.channels == 1 ? 17 : 32) : (f.channels == 1 ? 9 : 17);
    count = sideInfo * 8u;
    return bits.Holds(sideInfo * 8u);
  }
  if (f.layer == 3) {
    const uint32_t bound = f.bound < kSubbands ? f.bound : kSubbands;
    count = 4u * (bound * f.channels + (kSubbands - bound));
    return bits.Holds(static_cast<uint32_t>(count));
  }
  if (!CoverLayerTwo(f, bitRate, bits)) return false;
  count = bits.Used();
  return true;
}

}  // namespace

bool MpegAudioCrcHolds(const uint8_t* frame, std::size_t size, uint32_t bitRate) {
  if (size < kCoveredOffset) return false;
  const Layout layout = ReadLayout(frame);
  uint64_t covered = 0;
  if (!CoveredBits(layout, bitRate, frame + kCoveredOffset, size - kCoveredOffset, covered)) {
    return false;
  }
  uint16_t crc = Crc16(0xFFFF, frame + 2, 2);
  crc = Crc16(crc, frame + kCoveredOffset, static_cast<std::size_t>(covered / 8));
  if (covered % 8 != 0) {
    crc = Crc16Bits(crc, frame[kCoveredOffset + covered / 8], static_cast<uint32_t>(covered % 8));
  }
  return crc == Be16(frame + kCrcOffset);
}

}  // namespace orlenta
