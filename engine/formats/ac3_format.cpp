// SPDX-License-Identifier: GPL-3.0-or-later
// AC-3 and E-AC-3: a chain of sync frames, each starting with the sync word 0x0B77. An
// AC-3 frame's size follows from its sample rate and bit rate codes; an E-AC-3 frame states
// its own. Every frame ends with a CRC over the whole frame, which the walk checks. The
// file ends where the chain stops.
#include <algorithm>
#include <optional>

#include "checksums.h"
#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint32_t kHeaderBytes = 6;

// The kilobits per second of each pair of AC-3 frame size codes.
constexpr uint16_t kBitRates[19] = {32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                    192, 224, 256, 320, 384, 448, 512, 576, 640};
constexpr uint32_t kSampleRates[3] = {48000, 44100, 32000};

struct SyncFrame {
  uint8_t rateCode;
  bool enhanced;
  uint32_t length;
};

std::optional<SyncFrame> ParseSyncFrame(const uint8_t* d) {
  if (d[0] != 0x0B || d[1] != 0x77) return std::nullopt;
  const uint8_t bitstreamId = d[5] >> 3;
  if (bitstreamId <= 10) {
    const uint8_t rateCode = d[4] >> 6;
    const uint8_t sizeCode = d[4] & 0x3F;
    if (rateCode == 3 || sizeCode >= 38) return std::nullopt;
    const uint32_t kbps = kBitRates[sizeCode / 2];
    uint32_t words = kbps * 96000 / kSampleRates[rateCode];
    if (rateCode == 1) words += sizeCode & 1;
    return SyncFrame{rateCode, false, words * 2};
  }
  if (bitstreamId < 11 || bitstreamId > 16) return std::nullopt;
  const uint32_t words = ((d[2] & 7u) << 8 | d[3]) + 1;
  return SyncFrame{static_cast<uint8_t>(d[4] >> 6), true, words * 2};
}

bool Agree(const SyncFrame& a, const SyncFrame& b) {
  return a.rateCode == b.rateCode && a.enhanced == b.enhanced;
}

class Ac3EndFinder : public RecordWalk {
 public:
  Ac3EndFinder() : RecordWalk(ReadAt(0, kHeaderBytes)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    if (pos < frameEnd_) return Body(w, pos);
    const std::optional<SyncFrame> frame = ParseSyncFrame(w.At(pos));
    if (pos == 0) {
      if (!frame) return Broken();
      first_ = *frame;
    } else if (!frame || !Agree(*frame, first_)) {
      return EndAt(pos);
    }
    // The CRC runs over all but the sync word and comes out at zero.
    crc_ = 0;
    frameEnd_ = pos + frame->length;
    return ScanFrom(pos + 2);
  }

  Step Body(const ByteWindow& w, uint64_t pos) {
    const uint64_t upTo = std::min(frameEnd_, w.End());
    crc_ = Crc16(crc_, w.At(pos), static_cast<std::size_t>(upTo - pos));
    if (upTo < frameEnd_) return ScanFrom(upTo);
    if (crc_ != 0) return Broken();
    return ReadAt(frameEnd_, kHeaderBytes);
  }

  // The volume ended after a whole frame: so did the file.
  Step DataEnded(const Step& step) override {
    return step.offset == frameEnd_ ? EndAt(step.offset) : Broken();
  }

  SyncFrame first_{};
  uint64_t frameEnd_ = 0;
  uint16_t crc_ = 0;
};

// A frame at the start and another that agrees right after it, inside the sector.
FileKind DetectAc3(const uint8_t* d, std::size_t size) {
  if (size < 64) return kNoHeader;
  const std::optional<SyncFrame> first = ParseSyncFrame(d);
  if (!first || first->length + kHeaderBytes > size) return kNoHeader;
  const std::optional<SyncFrame> second = ParseSyncFrame(d + first->length);
  return second && Agree(*first, *second) ? kAc3 : kNoHeader;
}

std::unique_ptr<EndFinder> MakeAc3Finder(FileKind kind) {
  if (kind != kAc3) return nullptr;
  return std::make_unique<Ac3EndFinder>();
}

}  // namespace

const FormatFamily kAc3Family = {DetectAc3, MakeAc3Finder};

}  // namespace orlenta
