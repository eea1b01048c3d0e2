// SPDX-License-Identifier: GPL-3.0-or-later
// MP3 and the other MPEG audio layers: an optional ID3v2 tag (its size in the header, a
// footer when flagged), a chain of frames whose headers give their length and agree with
// each other, then optional tags at the end: an APE tag and the 128-byte ID3v1 "TAG".
// Frames whose header flags a CRC must pass it for the end to count as verified.
#include <algorithm>
#include <cstring>
#include <optional>

#include "format_families.h"
#include "mpeg_audio_crc.h"
#include "record_walk.h"

namespace orlenta {
namespace {

struct FrameHeader {
  uint8_t version;  // 0: 2.5, 2: 2, 3: 1
  uint8_t layer;    // 1: III, 2: II, 3: I
  uint8_t rateIndex;
  bool hasCrc;
  uint32_t bitRate;
  uint32_t length;
};

constexpr uint16_t kBitRates[2][3][15] = {
    // MPEG-1: layers III, II, I
    {{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}},
    // MPEG-2 and 2.5
    {{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256}}};

constexpr uint32_t kSampleRates[3] = {44100, 48000, 32000};

std::optional<FrameHeader> ParseFrame(const uint8_t* d) {
  if (d[0] != 0xFF || (d[1] & 0xE0) != 0xE0) return std::nullopt;
  const uint8_t version = (d[1] >> 3) & 3;
  const uint8_t layer = (d[1] >> 1) & 3;
  const uint8_t bitRateIndex = d[2] >> 4;
  const uint8_t rateIndex = (d[2] >> 2) & 3;
  if (version == 1 || layer == 0 || bitRateIndex == 0 || bitRateIndex == 15 || rateIndex == 3 ||
      (d[3] & 3) == 2) {
    return std::nullopt;
  }
  const uint32_t bitRate = kBitRates[version == 3 ? 0 : 1][layer - 1][bitRateIndex] * 1000u;
  const uint32_t sampleRate = kSampleRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
  const uint32_t padding = (d[2] >> 1) & 1;
  uint32_t length = 0;
  if (layer == 3) {
    length = (12 * bitRate / sampleRate + padding) * 4;
  } else {
    const uint32_t perSample = layer == 1 && version != 3 ? 72 : 144;
    length = perSample * bitRate / sampleRate + padding;
  }
  return FrameHeader{version, layer, rateIndex, (d[1] & 1) == 0, bitRate, length};
}

// Encoders put an information frame ("Xing" or "Info", after the side information) first
// in a layer III file. One on a sector boundary, where files start, begins the next file:
// two untagged files of the same encoding would otherwise run together.
constexpr uint64_t kSectorAlignment = 512;
constexpr uint32_t kInfoFrameBytes = 4 + 2 + 32 + 4;

bool IsInfoFrame(const uint8_t* d) {
  const bool mpeg1 = ((d[1] >> 3) & 3) == 3;
  const bool mono = (d[3] >> 6) == 3;
  const uint32_t sideInfo = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
  const uint8_t* tag = d + 4 + ((d[1] & 1) == 0 ? 2 : 0) + sideInfo;
  return std::memcmp(tag, "Xing", 4) == 0 || std::memcmp(tag, "Info", 4) == 0;
}

bool Agree(const FrameHeader& a, const FrameHeader& b) {
  return a.version == b.version && a.layer == b.layer && a.rateIndex == b.rateIndex;
}

// The ID3v2 tag at `d` (10 bytes): its whole length, or nothing when it is not one.
std::optional<uint64_t> Id3v2Length(const uint8_t* d) {
  if (std::memcmp(d, "ID3", 3) != 0 || d[3] < 2 || d[3] > 4 || d[4] == 0xFF) return std::nullopt;
  const uint8_t unusedFlags = d[3] == 2 ? 0x3F : d[3] == 3 ? 0x1F : 0x0F;
  if ((d[5] & unusedFlags) != 0) return std::nullopt;
  uint32_t size = 0;
  for (int i = 6; i < 10; ++i) {
    if (d[i] >= 0x80) return std::nullopt;
    size = size << 7 | d[i];
  }
  const bool footer = d[3] == 4 && (d[5] & 0x10) != 0;
  return 10 + uint64_t{size} + (footer ? 10 : 0);
}

// Encoders may leave zeros between the tag and the first frame.
constexpr uint64_t kMostPaddingAfterTag = 64 * 1024;
// More ID3v2 tags in a row than any tag editor leaves: a sign of damage.
constexpr int kMostTags = 4;

class MpegAudioEndFinder : public RecordWalk {
 public:
  MpegAudioEndFinder() : RecordWalk(ReadAt(0, 10)) {}

 private:
  enum class State : uint8_t { kTag, kPadding, kFirstFrame, kFrame, kTail, kApe };

  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const uint8_t* d = w.At(pos);
    switch (state_) {
      case State::kTag:
        // Tag editors may put a new tag in front of the old one: tags may follow each other.
        if (const std::optional<uint64_t> tag = Id3v2Length(d); tag && tags_ < kMostTags) {
          ++tags_;
          tagEnd_ = pos + *tag;
          return ReadAt(tagEnd_, 10);
        }
        return FirstFrame(pos);
      case State::kPadding:
        return SkipPadding(w, pos);
      case State::kFirstFrame:
        if (d[0] == 0 && pos == tagEnd_ && pos > 0) {
          state_ = State::kPadding;
          return ScanFrom(pos);
        }
        first_ = ParseFrame(d);
        if (!first_) return Broken();
        if (const uint32_t wanted = BytesToExamine(*first_, pos); step.length < wanted) {
          return ReadAt(pos, wanted);
        }
        CheckCrc(*first_, d, step.length);
        return Frame(pos + first_->length);
      case State::kFrame:
        if (const std::optional<FrameHeader> frame = ParseFrame(d);
            frame && Agree(*frame, *first_)) {
          const uint32_t wanted = BytesToExamine(*frame, pos);
          if (step.length < wanted) return ReadAt(pos, wanted);
          if (pos % kSectorAlignment == 0 && frame->layer == 1 && IsInfoFrame(d)) {
            return FileEnd(pos);
          }
          CheckCrc(*frame, d, step.length);
          return Frame(pos + frame->length);
        }
        return Tail(pos);
      case State::kTail:
        if (std::memcmp(d, "TAG", 3) == 0) return FileEnd(pos + 128);
        if (std::memcmp(d, "APE", 3) == 0 && !sawApe_) {
          state_ = State::kApe;
          return ReadAt(pos, 32);
        }
        return FileEnd(pos);
      case State::kApe:
        return AfterApe(pos, d);
    }
    return Broken();
  }

  Step SkipPadding(const ByteWindow& w, uint64_t pos) {
    uint64_t p = pos;
    while (w.Holds(p, 1) && *w.At(p) == 0) ++p;
    if (p - tagEnd_ > kMostPaddingAfterTag) return Broken();
    if (!w.Holds(p, 1)) return ScanFrom(p);
    state_ = State::kFirstFrame;
    tagEnd_ = 0;
    return ReadAt(p, 4);
  }

  // An APE tag led by its header: the size counts the items and the footer.
  Step AfterApe(uint64_t pos, const uint8_t* d) {
    sawApe_ = true;
    const bool header = (Le32(d + 20) & 0x20000000u) != 0;
    if (std::memcmp(d, "APETAGEX", 8) != 0 || !header) return FileEnd(pos);
    return Tail(pos + 32 + Le32(d + 12));
  }

  // The bytes of the frame at `pos` to look at: its header, the start of an information
  // frame where one may begin the next file, and what a flagged CRC covers.
  static uint32_t BytesToExamine(const FrameHeader& frame, uint64_t pos) {
    uint32_t bytes = 4;
    if (pos % kSectorAlignment == 0 && frame.layer == 1) bytes = kInfoFrameBytes;
    if (frame.hasCrc) bytes = std::max(bytes, std::min(frame.length, kMpegAudioCrcBytes));
    return bytes;
  }

  void CheckCrc(const FrameHeader& frame, const uint8_t* d, uint32_t size) {
    if (frame.hasCrc && !MpegAudioCrcHolds(d, size, frame.bitRate)) crcFailed_ = true;
  }

  // The file ends at `length`: verified only when every flagged CRC checked out. A frame
  // that fails its CRC still has its length, so the walk goes on to the end.
  Step FileEnd(uint64_t length) const { return crcFailed_ ? LikelyEndAt(length) : EndAt(length); }

  Step FirstFrame(uint64_t pos) {
    state_ = State::kFirstFrame;
    return ReadAt(pos, 4);
  }
  Step Frame(uint64_t pos) {
    state_ = State::kFrame;
    return ReadAt(pos, 4);
  }
  Step Tail(uint64_t pos) {
    state_ = State::kTail;
    return ReadAt(pos, 3);
  }

  // The volume ended after a whole frame or tag: so did the file. A frame whose header
  // was read but not the bytes after it is cut short.
  Step DataEnded(const Step& step) override {
    if (state_ == State::kFrame && step.length > 4) return Broken();
    return state_ == State::kFrame || state_ == State::kTail ? FileEnd(step.offset) : Broken();
  }

  State state_ = State::kTag;
  std::optional<FrameHeader> first_;
  uint64_t tagEnd_ = 0;
  int tags_ = 0;
  bool sawApe_ = false;
  bool crcFailed_ = false;
};

// How many agreeing frames in a row a bare frame needs before it counts as an MP3.
constexpr int kFramesForBareStart = 3;

// Another ID3v2 tag (2.2, 2.4, or 2.3 with flags), or a bare layer III frame followed by
// agreeing frames as far as the sector shows (at least two, three when they fit).
FileKind DetectMp3Other(const uint8_t* d, std::size_t size) {
  if (size < 16) return kNoHeader;
  if (Id3v2Length(d)) return kMp3Other;
  const std::optional<FrameHeader> first = ParseFrame(d);
  if (!first || first->layer != 1) return kNoHeader;
  std::size_t pos = first->length;
  int frames = 1;
  while (pos + 4 <= size && frames < kFramesForBareStart) {
    const std::optional<FrameHeader> frame = ParseFrame(d + pos);
    if (!frame || !Agree(*frame, *first)) return kNoHeader;
    pos += frame->length;
    ++frames;
  }
  return frames >= 2 ? kMp3Other : kNoHeader;
}

std::unique_ptr<EndFinder> MakeMpegAudioFinder(FileKind kind) {
  if (kind != kMp3 && kind != kMp3Other) return nullptr;
  return std::make_unique<MpegAudioEndFinder>();
}

}  // namespace

const FormatFamily kMpegAudioFamily = {DetectMp3Other, MakeMpegAudioFinder};

}  // namespace orlenta
