// SPDX-License-Identifier: GPL-3.0-or-later
// FLAC: "fLaC", metadata blocks (the first is the stream info, with the total number of
// samples), then audio frames. Frames carry no length: each starts with a sync code and a
// header protected by a CRC-8, and ends with a CRC-16 over the whole frame. The finder
// counts samples frame by frame until the stream info's total is reached, then walks the
// last frame's subframes to its end and checks its CRC-16 there. Every frame before it is
// checked by its CRC-16 once the next frame's header is found: a frame that fails leaves
// the end in place, but not verified.
#include <algorithm>
#include <array>
#include <cstring>

#include "checksums.h"
#include "flac_frame_walk.h"
#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr std::array<uint8_t, 256> MakeCrc8Table() {
  std::array<uint8_t, 256> table{};
  for (int i = 0; i < 256; ++i) {
    uint8_t crc = static_cast<uint8_t>(i);
    for (int bit = 0; bit < 8; ++bit)
      crc = static_cast<uint8_t>(crc & 0x80 ? (crc << 1) ^ 0x07 : crc << 1);
    table[i] = crc;
  }
  return table;
}

constexpr std::array<uint8_t, 256> kCrc8 = MakeCrc8Table();

constexpr uint32_t kLongestFrameHeader = 16;

// What a frame header says, as far as the walk needs it.
struct FrameHeader {
  uint32_t samples = 0;
  uint64_t number = 0;  // the frame number, or with variable block sizes its first sample's
  uint32_t length = 0;  // in bytes, its CRC-8 included
  uint8_t channelCode = 0;
  uint8_t sampleSizeCode = 0;
};

// Reads the frame header at `d` (at least kLongestFrameHeader bytes); false when it is no
// frame header.
bool ReadFrameHeader(const uint8_t* d, FrameHeader& header) {
  if (d[0] != 0xFF || (d[1] & 0xFE) != 0xF8) return false;
  const uint8_t sizeCode = d[2] >> 4;
  const uint8_t rateCode = d[2] & 0x0F;
  if (sizeCode == 0 || rateCode == 0x0F || (d[3] >> 4) >= 11 || (d[3] & 0x06) == 0x06 ||
      (d[3] & 1) != 0) {
    return false;
  }
  // The frame or sample number, UTF-8 style in up to 7 bytes.
  std::size_t at = 4;
  const uint8_t lead = d[at++];
  int extra = 0;
  uint64_t value = lead;
  if (lead >= 0x80) {
    if (lead < 0xC0 || lead == 0xFF) return false;
    for (uint8_t mask = 0x40; (lead & mask) != 0 && extra < 6; mask >>= 1) ++extra;
    value = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
      if ((d[at] & 0xC0) != 0x80) return false;
      value = value << 6 | (d[at++] & 0x3F);
    }
  }
  uint32_t samples = 0;
  if (sizeCode == 1) {
    samples = 192;
  } else if (sizeCode <= 5) {
    samples = 576u << (sizeCode - 2);
  } else if (sizeCode == 6) {
    samples = d[at++] + 1u;
  } else if (sizeCode == 7) {
    samples = Be16(d + at) + 1u;
    at += 2;
  } else {
    samples = 256u << (sizeCode - 8);
  }
  if (rateCode == 12) at += 1;
  if (rateCode == 13 || rateCode == 14) at += 2;
  uint8_t crc = 0;
  for (std::size_t i = 0; i < at; ++i) crc = kCrc8[crc ^ d[i]];
  if (crc != d[at]) return false;
  header = {samples, value, static_cast<uint32_t>(at + 1), static_cast<uint8_t>(d[3] >> 4),
            static_cast<uint8_t>(d[3] >> 1 & 7)};
  return true;
}

class FlacEndFinder : public RecordWalk {
 public:
  FlacEndFinder() : RecordWalk(ReadAt(0, 42)) {}

 private:
  enum class State : uint8_t { kInfo, kBlock, kFrameHeader, kSeekFrame, kLastFrame };

  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    switch (state_) {
      case State::kInfo:
        return StreamInfo(w.At(0));
      case State::kBlock:
        return MetadataBlock(pos, w.At(pos));
      case State::kFrameHeader:
        return FrameHeaderAt(pos, w.At(pos));
      case State::kSeekFrame:
        return SeekFrame(w, pos);
      case State::kLastFrame:
        return LastFrame(w, pos);
    }
    return Broken();
  }

  Step StreamInfo(const uint8_t* d) {
    if (std::memcmp(d, "fLaC", 4) != 0 || (d[4] & 0x7F) != 0 || Be32(d + 4) << 8 >> 8 != 34) {
      return Broken();
    }
    const uint8_t* info = d + 8;
    largestFrame_ = Be32(info + 6) & 0xFFFFFF;  // 0: not known
    streamBits_ = static_cast<uint8_t>(((info[12] & 1) << 4 | info[13] >> 4) + 1);
    totalSamples_ = uint64_t{info[13] & 0x0Fu} << 32 | Be32(info + 14);
    if (totalSamples_ == 0) return Broken();  // unknown length: the end cannot be told
    return (d[4] & 0x80) != 0 ? Frame(42) : Block(42);
  }

  Step MetadataBlock(uint64_t pos, const uint8_t* d) {
    if ((d[0] & 0x7F) == 0x7F) return Broken();
    const uint64_t next = pos + 4 + (Be32(d) & 0xFFFFFF);
    return (d[0] & 0x80) != 0 ? Frame(next) : Block(next);
  }

  Step FrameHeaderAt(uint64_t pos, const uint8_t* d) {
    FrameHeader header;
    const bool read = ReadFrameHeader(d, header);
    const bool variableBlocks = (d[1] & 1) != 0;
    const uint64_t expected = variableBlocks ? samplesSeen_ : frames_;
    if (!read || header.number != expected) {
      // Not the next frame after all: a sync pattern inside the previous frame's data.
      if (frames_ == 0) return Broken();
      crc_ = Crc16(crc_, d, 1);
      state_ = State::kSeekFrame;
      return ScanFrom(pos + 1);
    }
    // The frame before ends here; its CRC-16 over all of it, the CRC itself last, is zero.
    if (frames_ > 0 && crc_ != 0) crcFailed_ = true;
    crc_ = 0;
    ++frames_;
    samplesSeen_ += header.samples;
    frameStart_ = pos;
    // The stream info's largest frame, unless the frame could be longer with its samples
    // stored plain (33 bits at most, a side channel's included), which an encoder may fall
    // back to.
    const uint32_t channels = header.channelCode < 8 ? header.channelCode + 1u : 2u;
    longestFrame_ =
        std::max<uint64_t>(largestFrame_, uint64_t{header.samples} * channels * 33 / 8 + 64);
    if (samplesSeen_ >= totalSamples_) {
      frameBits_ = pos + header.length;
      walk_.Start(header.samples, header.channelCode, header.sampleSizeCode, streamBits_);
      state_ = State::kLastFrame;
      crc_ = 0;
      return ScanFrom(pos);
    }
    crc_ = Crc16(crc_, d, 2);
    state_ = State::kSeekFrame;
    return ScanFrom(pos + 2);
  }

  // The next frame's sync code: 0xFF then 0xF8 or 0xF9. Every byte before it goes into the
  // running frame's CRC-16 exactly once.
  // A frame longer than its samples could ever take lost its successor's header (a
  // sector of zeros, damage): seeking on would take a later file's frame for it.
  Step SeekFrame(const ByteWindow& w, uint64_t pos) {
    const uint64_t at = FindSync(w, pos);
    if (at - frameStart_ > longestFrame_) return Broken();
    crc_ = Crc16(crc_, w.At(pos), static_cast<std::size_t>(at - pos));
    if (!w.Holds(at, 1)) return ScanFrom(at);
    if (!w.Holds(at, 2)) return ReadAt(at, kLongestFrameHeader);
    state_ = State::kFrameHeader;
    return ReadAt(at, kLongestFrameHeader);
  }

  // Where the next sync code starts in the window from `pos`: the window's end when there
  // is none, its last byte when that is a 0xFF whose follower has not arrived.
  static uint64_t FindSync(const ByteWindow& w, uint64_t pos) {
    uint64_t at = pos;
    while (w.Holds(at, 1)) {
      const auto* p = static_cast<const uint8_t*>(std::memchr(w.At(at), 0xFF, w.End() - at));
      if (p == nullptr) return w.End();
      at += static_cast<uint64_t>(p - w.At(at));
      if (!w.Holds(at, 2) || (p[1] & 0xFE) == 0xF8) return at;
      ++at;
    }
    return at;
  }

  // Frames carry no length, and a CRC-16 that comes out right by chance inside a frame of
  // a few kilobytes is no proof of its end: the last frame's subframes are walked bit by
  // bit to where they end, whatever follows the file, and its CRC-16 then confirms it.
  Step LastFrame(const ByteWindow& w, uint64_t pos) {
    uint64_t end = w.End();
    if (end > frameBits_) {
      const uint64_t from = std::max(pos, frameBits_);
      end = from + walk_.Take(w.At(from), static_cast<std::size_t>(w.End() - from));
    }
    if (end > pos) crc_ = Crc16(crc_, w.At(pos), static_cast<std::size_t>(end - pos));
    switch (walk_.Current()) {
      case FlacFrameWalk::State::kEnded:
        if (crc_ != 0) return Broken();
        return crcFailed_ ? LikelyEndAt(end) : EndAt(end);
      case FlacFrameWalk::State::kBroken:
        return Broken();
      case FlacFrameWalk::State::kFollowing:
        break;
    }
    return end - frameStart_ > longestFrame_ ? Broken() : ScanFrom(end);
  }

  Step Block(uint64_t pos) {
    state_ = State::kBlock;
    return ReadAt(pos, 4);
  }
  Step Frame(uint64_t pos) {
    state_ = State::kFrameHeader;
    return ReadAt(pos, kLongestFrameHeader);
  }

  State state_ = State::kInfo;
  uint64_t totalSamples_ = 0;
  uint64_t samplesSeen_ = 0;
  uint64_t frames_ = 0;
  uint32_t largestFrame_ = 0;
  uint8_t streamBits_ = 0;
  // The current frame: where it starts and the most bytes it can take; for the last
  // frame, where its subframes start and their walk.
  uint64_t frameStart_ = 0;
  uint64_t longestFrame_ = 0;
  uint64_t frameBits_ = 0;
  FlacFrameWalk walk_;
  // The CRC-16 of the current frame's bytes so far, and whether an earlier frame failed it.
  uint16_t crc_ = 0;
  bool crcFailed_ = false;
};

// "fLaC" and a stream info block of its fixed length with sane block sizes and rate.
FileKind DetectFlac(const uint8_t* d, std::size_t size) {
  if (size < 42 || std::memcmp(d, "fLaC", 4) != 0 || (d[4] & 0x7F) != 0 || d[5] != 0 || d[6] != 0 ||
      d[7] != 34) {
    return kNoHeader;
  }
  const uint16_t minBlock = Be16(d + 8);
  const uint16_t maxBlock = Be16(d + 10);
  const uint32_t sampleRate = Be32(d + 18) >> 12;
  if (minBlock < 16 || maxBlock < minBlock || sampleRate == 0 || sampleRate > 655350) {
    return kNoHeader;
  }
  return kFlac;
}

std::unique_ptr<EndFinder> MakeFlacFinder(FileKind kind) {
  if (kind != kFlac) return nullptr;
  return std::make_unique<FlacEndFinder>();
}

}  // namespace

const FormatFamily kFlacFamily = {DetectFlac, MakeFlacFinder};

}  // namespace orlenta
