// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG program streams (MPEG-1 and MPEG-2, DVD video objects): packs, each a pack header
// followed by a system header and packets that give their own length, up to the end code
// 00 00 01 B9. A stream without an end code ends where the chain of packs stops.
#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint8_t kPack = 0xBA;
constexpr uint8_t kEndCode = 0xB9;
constexpr uint8_t kSystemHeader = 0xBB;

bool IsStartCode(const uint8_t* d) {
  return d[0] == 0 && d[1] == 0 && d[2] == 1;
}

bool IsMpeg1Pack(const uint8_t* d) {
  return (d[4] & 0xF1) == 0x21 && (d[6] & 1) && (d[8] & 1) && (d[9] & 0x80) && (d[11] & 1);
}

bool IsMpeg2Pack(const uint8_t* d) {
  return (d[4] & 0xC4) == 0x44 && (d[6] & 4) && (d[8] & 4) && (d[9] & 1) && (d[12] & 3) == 3;
}

// The system clock reference of a pack: it only grows within one stream.
uint64_t Mpeg1Clock(const uint8_t* d) {
  return uint64_t{(d[4] >> 1) & 7u} << 30 | uint64_t{d[5]} << 22 | uint64_t(d[6] >> 1) << 15 |
         uint64_t{d[7]} << 7 | (d[8] >> 1);
}

uint64_t Mpeg2Clock(const uint8_t* d) {
  return uint64_t{(d[4] >> 3) & 7u} << 30 | uint64_t{d[4] & 3u} << 28 | uint64_t{d[5]} << 20 |
         uint64_t(d[6] >> 3) << 15 | uint64_t{d[6] & 3u} << 13 | uint64_t{d[7]} << 5 | (d[8] >> 3);
}

class MpegProgramEndFinder : public RecordWalk {
 public:
  MpegProgramEndFinder() : RecordWalk(ReadAt(0, 4)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const uint8_t* d = w.At(pos);
    if (!IsStartCode(d)) return ChainStopped(pos);
    const uint8_t code = d[3];
    if (code == kEndCode) return packs_ > 0 ? EndAt(pos + 4) : Broken();
    if (code == kPack) return Pack(pos, d, step.length);
    if (code < kSystemHeader || packs_ == 0) return ChainStopped(pos);
    if (step.length < 6) return ReadAt(pos, 6);
    return ReadAt(pos + 6 + Be16(d + 4), 4);
  }

  // A pack whose clock goes back starts another stream: the next file.
  Step Pack(uint64_t pos, const uint8_t* d, uint32_t have) {
    if (have < 14) return ReadAt(pos, 14);
    const bool mpeg1 = IsMpeg1Pack(d);
    if (!mpeg1 && !IsMpeg2Pack(d)) return ChainStopped(pos);
    const uint64_t clock = mpeg1 ? Mpeg1Clock(d) : Mpeg2Clock(d);
    if (packs_ > 0 && clock < clock_) return ChainStopped(pos);
    clock_ = clock;
    ++packs_;
    return ReadAt(pos + (mpeg1 ? 12 : 14 + (d[13] & 7)), 4);
  }

  Step ChainStopped(uint64_t pos) const { return packs_ > 0 ? EndAt(pos) : Broken(); }

  Step DataEnded(const Step& step) override { return ChainStopped(step.offset); }

  uint64_t packs_ = 0;
  uint64_t clock_ = 0;
};

// A pack header with its marker bits in place, directly followed by a system header: the
// way every stream starts (DVD video repeats it at each navigation pack).
FileKind DetectProgramStream(const uint8_t* d, std::size_t size) {
  if (size < 32 || !IsStartCode(d) || d[3] != kPack) return kNoHeader;
  if (IsMpeg1Pack(d)) {
    return IsStartCode(d + 12) && d[15] == kSystemHeader ? kMpeg1Other : kNoHeader;
  }
  if (!IsMpeg2Pack(d)) return kNoHeader;
  const std::size_t next = 14 + (d[13] & 7);
  return IsStartCode(d + next) && d[next + 3] == kSystemHeader ? kMpeg2 : kNoHeader;
}

std::unique_ptr<EndFinder> MakeProgramStreamFinder(FileKind kind) {
  if (kind != kMpeg && kind != kMpeg1Other && kind != kMpeg2) return nullptr;
  return std::make_unique<MpegProgramEndFinder>();
}

}  // namespace

const FormatFamily kMpegProgramFamily = {DetectProgramStream, MakeProgramStreamFinder};

}  // namespace orlenta
