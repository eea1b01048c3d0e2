// SPDX-License-Identifier: GPL-3.0-or-later
// MPEG program streams (MPEG-1 and MPEG-2, DVD video objects): packs, each a pack header
// followed by a system header and packets that give their own length, up to the end code
// 00 00 01 B9. Video CD streams leave zeros after some packs, so that every pack starts at
// a fixed stride: the walk runs over such zeros. Only the end code tells the end for sure;
// a stream without one ends where the chain of packs stops, its end not verified.
#include <cstring>

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
    if (candidate_ != 0) return AfterPadding(pos, w.At(pos), step.length);
    if (padStart_ != 0) return Padding(w, pos);
    const uint8_t* d = w.At(pos);
    if (!IsStartCode(d)) return *d == 0 && packs_ > 0 ? StartPadding(pos) : ChainStopped(pos);
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
    if (packs_ == 1) stride_ = pos;
    if (stride_ != 0 && pos % stride_ != 0) stride_ = 0;
    lastPack_ = pos;
    ++packs_;
    return ReadAt(pos + PackHeaderBytes(d), 4);
  }

  static uint64_t PackHeaderBytes(const uint8_t* d) {
    return IsMpeg1Pack(d) ? 12 : 14 + (d[13] & 7);
  }

  Step StartPadding(uint64_t pos) {
    padStart_ = pos;
    return ScanFrom(pos);
  }

  // Zeros after a pack: the next start code's own zeros end the run.
  Step Padding(const ByteWindow& w, uint64_t pos) {
    uint64_t p = pos;
    while (w.Holds(p, 1) && *w.At(p) == 0) ++p;
    if (p - padStart_ > kMostPadding) return PaddedEnd(p);
    if (!w.Holds(p, 1)) return ScanFrom(p);
    if (*w.At(p) != 1 || p - padStart_ < 2) return PaddedEnd(p);
    candidate_ = p - 2;
    zerosEnd_ = p;
    return ReadAt(p + 1, 1);
  }

  // What follows the zeros goes on with the stream when it is one of its packs. A pack on a
  // sector's start that carries a system header begins another stream. The walk has left
  // the start code's first bytes behind: they are 00 00 01.
  Step AfterPadding(uint64_t pos, const uint8_t* rest, uint32_t have) {
    constexpr uint32_t kPrefix = 3;
    if (rest[0] == kPack && have < kLongestPackStart - kPrefix) {
      return ReadAt(pos, kLongestPackStart - kPrefix);
    }
    const uint64_t at = candidate_;
    candidate_ = 0;
    const uint64_t padStart = padStart_;
    padStart_ = 0;
    if (rest[0] == kEndCode) return EndAt(pos + 1);
    if (rest[0] != kPack) return PaddedEndFrom(padStart, zerosEnd_);
    uint8_t d[kLongestPackStart] = {0, 0, 1};
    std::memcpy(d + kPrefix, rest, kLongestPackStart - kPrefix);
    if (!IsMpeg1Pack(d) && !IsMpeg2Pack(d)) return PaddedEndFrom(padStart, zerosEnd_);
    const uint8_t* next = d + PackHeaderBytes(d);
    const bool systemHeader = IsStartCode(next) && next[3] == kSystemHeader;
    const uint64_t clock = IsMpeg1Pack(d) ? Mpeg1Clock(d) : Mpeg2Clock(d);
    if ((at % kSectorBytes == 0 && systemHeader) || clock < clock_) {
      return PaddedEndFrom(padStart, zerosEnd_);
    }
    return Pack(at, d, kLongestPackStart);
  }

  // The stream stopped in zeros from padStart_ that run up to `zerosEnd`. When its packs
  // keep a stride and the zeros fill the last one's, they are the stream's.
  Step PaddedEnd(uint64_t zerosEnd) {
    const uint64_t padStart = padStart_;
    padStart_ = 0;
    return PaddedEndFrom(padStart, zerosEnd);
  }
  Step PaddedEndFrom(uint64_t padStart, uint64_t zerosEnd) const {
    const uint64_t strideEnd = lastPack_ + stride_;
    if (stride_ != 0 && strideEnd >= padStart && strideEnd <= zerosEnd) {
      return LikelyEndAt(strideEnd);
    }
    return LikelyEndAt(padStart);
  }

  Step ChainStopped(uint64_t pos) const { return packs_ > 0 ? LikelyEndAt(pos) : Broken(); }

  Step DataEnded(const Step& step) override {
    if (candidate_ != 0) return PaddedEndFrom(padStart_, zerosEnd_);
    if (padStart_ != 0) return PaddedEnd(step.offset);
    return ChainStopped(step.offset);
  }

  // More zeros than a stream pads a pack with: what follows is not its own.
  static constexpr uint64_t kMostPadding = 32 * 1024;
  // The longest pack header with its stuffing, and a start code after it.
  static constexpr uint32_t kLongestPackStart = 14 + 7 + 4;
  static constexpr uint64_t kSectorBytes = 2048;

  uint64_t packs_ = 0;
  uint64_t clock_ = 0;
  uint64_t lastPack_ = 0;
  uint64_t stride_ = 0;     // every pack so far starts at a multiple of it; 0 when not
  uint64_t padStart_ = 0;   // inside a run of zeros that began here; 0 when not
  uint64_t candidate_ = 0;  // a start code after zeros, to be looked at; 0 when none
  uint64_t zerosEnd_ = 0;
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
