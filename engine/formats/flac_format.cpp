// SPDX-License-Identifier: GPL-3.0-or-later
// FLAC: "fLaC", metadata blocks (the first is the stream info, with the total number of
// samples), then audio frames. Frames carry no length: each starts with a sync code and a
// header protected by a CRC-8, and ends with a CRC-16 over the whole frame. The finder
// counts samples frame by frame until the stream info's total is reached, then ends the
// last frame where its CRC-16 comes out right.
#include <array>
#include <cstring>

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

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
  std::array<uint16_t, 256> table{};
  for (int i = 0; i < 256; ++i) {
    uint16_t crc = static_cast<uint16_t>(i << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x8005 : crc << 1);
    }
    table[i] = crc;
  }
  return table;
}

constexpr std::array<uint8_t, 256> kCrc8 = MakeCrc8Table();
constexpr std::array<uint16_t, 256> kCrc16 = MakeCrc16Table();

constexpr uint32_t kLongestFrameHeader = 16;

// Files start on sector boundaries of at least this size, and the rest of their last
// sector is zeros.
constexpr uint64_t kSlackSector = 512;

// The samples in a frame whose header is at `d` (at least kLongestFrameHeader bytes), or 0
// when it is no frame header. `number` receives the frame number, or with variable block
// sizes the number of the frame's first sample.
uint32_t FrameSamples(const uint8_t* d, uint64_t& number) {
  if (d[0] != 0xFF || (d[1] & 0xFE) != 0xF8) return 0;
  const uint8_t sizeCode = d[2] >> 4;
  const uint8_t rateCode = d[2] & 0x0F;
  if (sizeCode == 0 || rateCode == 0x0F || (d[3] >> 4) >= 11 || (d[3] & 0x06) == 0x06 ||
      (d[3] & 1) != 0) {
    return 0;
  }
  // The frame or sample number, UTF-8 style in up to 7 bytes.
  std::size_t at = 4;
  const uint8_t lead = d[at++];
  int extra = 0;
  uint64_t value = lead;
  if (lead >= 0x80) {
    if (lead < 0xC0 || lead == 0xFF) return 0;
    for (uint8_t mask = 0x40; (lead & mask) != 0 && extra < 6; mask >>= 1) ++extra;
    value = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
      if ((d[at] & 0xC0) != 0x80) return 0;
      value = value << 6 | (d[at++] & 0x3F);
    }
  }
  number = value;
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
  return crc == d[at] ? samples : 0;
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
    uint64_t number = 0;
    const uint32_t samples = FrameSamples(d, number);
    const bool variableBlocks = (d[1] & 1) != 0;
    const uint64_t expected = variableBlocks ? samplesSeen_ : frames_;
    if (samples == 0 || number != expected) {
      // Not the next frame after all: a sync pattern inside the previous frame's data.
      if (frames_ == 0) return Broken();
      state_ = State::kSeekFrame;
      return ScanFrom(pos + 1);
    }
    ++frames_;
    samplesSeen_ += samples;
    frameStart_ = pos;
    if (samplesSeen_ >= totalSamples_) {
      state_ = State::kLastFrame;
      crc_ = 0;
      return ScanFrom(pos);
    }
    state_ = State::kSeekFrame;
    return ScanFrom(pos + 2);
  }

  // The next frame's sync code: 0xFF then 0xF8 or 0xF9.
  Step SeekFrame(const ByteWindow& w, uint64_t pos) {
    uint64_t at = pos;
    while (w.Holds(at, 1)) {
      const uint64_t left = w.End() - at;
      const auto* p = static_cast<const uint8_t*>(std::memchr(w.At(at), 0xFF, left));
      if (p == nullptr) return ScanFrom(w.End());
      at += static_cast<uint64_t>(p - w.At(at));
      if (!w.Holds(at, 2)) return ReadAt(at, kLongestFrameHeader);
      if ((p[1] & 0xFE) == 0xF8) {
        state_ = State::kFrameHeader;
        return ReadAt(at, kLongestFrameHeader);
      }
      ++at;
    }
    return ScanFrom(at);
  }

  // The last frame ends where the CRC-16 of all its bytes, its own CRC included, is zero.
  // Inside a frame of a few kilobytes that happens by chance now and then, so a place
  // where it does counts as the end only when zeros (the unused end of the file's last
  // sector) follow it up to a sector boundary, or when it is a sector boundary.
  Step LastFrame(const ByteWindow& w, uint64_t pos) {
    uint64_t at = pos;
    for (; w.Holds(at, 1); ++at) {
      const uint8_t byte = *w.At(at);
      if (byte != 0) candidate_ = 0;
      crc_ = static_cast<uint16_t>(crc_ << 8 ^ kCrc16[(crc_ >> 8) ^ byte]);
      if (candidate_ == 0 && crc_ == 0 && at >= frameStart_ + 8) candidate_ = at + 1;
      if (candidate_ != 0 && (at + 1) % kSlackSector == 0) return EndAt(candidate_);
    }
    return ScanFrom(at);
  }

  Step DataEnded(const Step&) override { return candidate_ != 0 ? EndAt(candidate_) : Broken(); }

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
  uint64_t frameStart_ = 0;
  uint64_t candidate_ = 0;  // where the last frame may end
  uint16_t crc_ = 0;
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
