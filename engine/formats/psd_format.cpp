// SPDX-License-Identifier: GPL-3.0-or-later
// PSD (and the large-document PSB): a 26-byte header (channels, height, width, depth,
// colour mode), then three sections each led by its length (colour mode data, image
// resources, layers and masks: 8 bytes long in a PSB), then the merged image: a
// compression code and either the raw pixels, whose size the header gives, or run-length
// rows, whose byte counts lead them. The file ends after the last row.
#include <algorithm>
#include <cstring>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint32_t kHeaderBytes = 26;

struct PsdHeader {
  bool large;  // PSB
  uint32_t channels;
  uint32_t height;
  uint32_t width;
  uint32_t depth;
};

bool ReadHeader(const uint8_t* d, PsdHeader& h) {
  if (std::memcmp(d, "8BPS", 4) != 0) return false;
  const uint16_t version = Be16(d + 4);
  if (version != 1 && version != 2) return false;
  for (int i = 6; i < 12; ++i) {
    if (d[i] != 0) return false;
  }
  h = {version == 2, Be16(d + 12), Be32(d + 14), Be32(d + 18), Be16(d + 22)};
  const uint32_t most = h.large ? 300000 : 30000;
  const bool depthOk = h.depth == 1 || h.depth == 8 || h.depth == 16 || h.depth == 32;
  return h.channels >= 1 && h.channels <= 56 && h.height >= 1 && h.height <= most && h.width >= 1 &&
         h.width <= most && depthOk && Be16(d + 24) <= 9;
}

class PsdEndFinder : public RecordWalk {
 public:
  PsdEndFinder() : RecordWalk(ReadAt(0, kHeaderBytes)) {}

 private:
  enum class State : uint8_t { kHeader, kSection, kCompression, kRowCounts };

  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const uint8_t* d = w.At(pos);
    switch (state_) {
      case State::kHeader:
        if (!ReadHeader(d, header_)) return Broken();
        return Section(kHeaderBytes);
      case State::kSection: {
        const bool wide = header_.large && sections_ == 2;
        const uint64_t length = wide ? Be64(d) : Be32(d);
        const uint64_t next = pos + (wide ? 8 : 4) + length;
        if (length > kLargestFile || next > kLargestFile) return Broken();
        return ++sections_ < 3 ? Section(next) : Compression(next);
      }
      case State::kCompression:
        return Image(pos, Be16(d));
      case State::kRowCounts:
        return RowCounts(d, pos, step.length);
    }
    return Broken();
  }

  Step Section(uint64_t pos) {
    state_ = State::kSection;
    return ReadAt(pos, header_.large && sections_ == 2 ? 8 : 4);
  }
  Step Compression(uint64_t pos) {
    state_ = State::kCompression;
    return ReadAt(pos, 2);
  }

  Step Image(uint64_t pos, uint16_t compression) {
    const uint64_t rows = uint64_t{header_.channels} * header_.height;
    if (compression == 0) {
      const uint64_t rowBytes = (uint64_t{header_.width} * header_.depth + 7) / 8;
      return EndAt(pos + 2 + rows * rowBytes);
    }
    if (compression != 1) return Broken();  // zip-compressed pixels state no length
    countBytes_ = header_.large ? 4 : 2;
    countsLeft_ = rows;
    end_ = pos + 2 + rows * countBytes_;
    state_ = State::kRowCounts;
    return NextCounts(pos + 2);
  }

  Step NextCounts(uint64_t pos) {
    if (countsLeft_ == 0) return EndAt(end_);
    const uint64_t bytes = std::min<uint64_t>(countsLeft_ * countBytes_, kMaxFinderNeed);
    return ReadAt(pos, static_cast<uint32_t>(bytes));
  }

  Step RowCounts(const uint8_t* d, uint64_t pos, uint32_t length) {
    for (uint32_t at = 0; at < length; at += countBytes_) {
      end_ += countBytes_ == 2 ? Be16(d + at) : Be32(d + at);
    }
    countsLeft_ -= length / countBytes_;
    if (end_ > kLargestFile) return Broken();
    return NextCounts(pos + length);
  }

  State state_ = State::kHeader;
  PsdHeader header_{};
  int sections_ = 0;
  uint32_t countBytes_ = 2;
  uint64_t countsLeft_ = 0;
  uint64_t end_ = 0;
};

// The header with sane sizes, followed by the colour mode section's length.
FileKind DetectPsd(const uint8_t* d, std::size_t size) {
  PsdHeader header{};
  if (size < kHeaderBytes + 4 || !ReadHeader(d, header)) return kNoHeader;
  return Be32(d + kHeaderBytes) <= 768 ? kPsd : kNoHeader;  // none, or a palette
}

std::unique_ptr<EndFinder> MakePsdFinder(FileKind kind) {
  if (kind != kPsd) return nullptr;
  return std::make_unique<PsdEndFinder>();
}

}  // namespace

const FormatFamily kPsdFamily = {DetectPsd, MakePsdFinder};

}  // namespace orlenta
