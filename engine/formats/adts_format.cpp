// SPDX-License-Identifier: GPL-3.0-or-later
// AAC in ADTS frames: each frame starts with a header (sync word 0xFFF, layer 0, profile,
// sampling rate, channels) that gives the frame's whole length. The frames of one stream
// agree on everything but their length; the file ends where the chain stops.
#include <optional>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint32_t kHeaderBytes = 7;

struct AdtsHeader {
  uint32_t fixed;  // version, profile, rate, channels: what every frame repeats
  uint32_t length;
};

std::optional<AdtsHeader> ParseAdts(const uint8_t* d) {
  if (d[0] != 0xFF || (d[1] & 0xF6) != 0xF0) return std::nullopt;  // sync and layer 0
  const uint8_t rateIndex = (d[2] >> 2) & 0x0F;
  const uint8_t channels = static_cast<uint8_t>((d[2] & 1) << 2 | d[3] >> 6);
  if (rateIndex > 12 || channels == 0) return std::nullopt;
  const uint32_t length = (d[3] & 3u) << 11 | uint32_t{d[4]} << 3 | d[5] >> 5;
  const uint32_t headerBytes = (d[1] & 1) != 0 ? kHeaderBytes : kHeaderBytes + 2;
  if (length <= headerBytes) return std::nullopt;
  const uint32_t fixed = uint32_t{d[1]} << 16 | uint32_t{d[2]} << 8 | (d[3] & 0xC0u);
  return AdtsHeader{fixed, length};
}

class AdtsEndFinder : public RecordWalk {
 public:
  AdtsEndFinder() : RecordWalk(ReadAt(0, kHeaderBytes)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const std::optional<AdtsHeader> frame = ParseAdts(w.At(pos));
    if (pos == 0) {
      if (!frame) return Broken();
      fixed_ = frame->fixed;
    } else if (!frame || frame->fixed != fixed_) {
      return EndAt(pos);
    }
    return ReadAt(pos + frame->length, kHeaderBytes);
  }

  // The volume ended after a whole frame: so did the file.
  Step DataEnded(const Step& step) override { return EndAt(step.offset); }

  uint32_t fixed_ = 0;
};

// How many agreeing frames in a row the sector must show.
constexpr int kFramesToDetect = 3;

// A frame at the start and agreeing frames after it, as many as the sector holds up to three.
FileKind DetectAdts(const uint8_t* d, std::size_t size) {
  if (size < 64) return kNoHeader;
  const std::optional<AdtsHeader> first = ParseAdts(d);
  if (!first) return kNoHeader;
  std::size_t pos = first->length;
  int frames = 1;
  while (pos + kHeaderBytes <= size && frames < kFramesToDetect) {
    const std::optional<AdtsHeader> frame = ParseAdts(d + pos);
    if (!frame || frame->fixed != first->fixed) return kNoHeader;
    pos += frame->length;
    ++frames;
  }
  return frames >= 2 ? kAac : kNoHeader;
}

std::unique_ptr<EndFinder> MakeAdtsFinder(FileKind kind) {
  if (kind != kAac) return nullptr;
  return std::make_unique<AdtsEndFinder>();
}

}  // namespace

const FormatFamily kAdtsFamily = {DetectAdts, MakeAdtsFinder};

}  // namespace orlenta
