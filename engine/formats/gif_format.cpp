// SPDX-License-Identifier: GPL-3.0-or-later
// GIF (87a and 89a): a screen descriptor with an optional colour table, then blocks up to
// the trailer byte 0x3B. Extensions and images carry their data in sub-blocks of at most
// 255 bytes, each led by its length, the chain ended by a zero length.
#include <cstring>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kImage = 0x2C;
constexpr uint8_t kTrailer = 0x3B;

// The bytes of a colour table announced by a packed-fields byte.
uint32_t ColourTableBytes(uint8_t packed) {
  return (packed & 0x80) != 0 ? 3u << ((packed & 7) + 1) : 0;
}

class GifEndFinder : public RecordWalk {
 public:
  GifEndFinder() : RecordWalk(ReadAt(0, 13)) {}

 private:
  enum class State : uint8_t { kScreen, kBlock, kLabel, kImage, kCodeSize, kSubBlock };

  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const uint8_t* d = w.At(pos);
    switch (state_) {
      case State::kScreen:
        if (std::memcmp(d, "GIF87a", 6) != 0 && std::memcmp(d, "GIF89a", 6) != 0) return Broken();
        return Block(13 + ColourTableBytes(d[10]));
      case State::kBlock:
        if (d[0] == kExtension) {
          state_ = State::kLabel;
          return ReadAt(pos + 1, 1);
        }
        if (d[0] == kImage) {
          state_ = State::kImage;
          return ReadAt(pos, 10);
        }
        if (d[0] == kTrailer && sawImage_) return EndAt(pos + 1);
        return Broken();
      case State::kLabel:
        return SubBlock(pos + 1);
      case State::kImage:
        sawImage_ = true;
        state_ = State::kCodeSize;
        return ReadAt(pos + 10 + ColourTableBytes(d[9]), 1);
      case State::kCodeSize:
        if (d[0] < 1 || d[0] > 12) return Broken();
        return SubBlock(pos + 1);
      case State::kSubBlock:
        if (d[0] == 0) return Block(pos + 1);
        return SubBlock(pos + 1 + d[0]);
    }
    return Broken();
  }

  Step Block(uint64_t pos) {
    state_ = State::kBlock;
    return ReadAt(pos, 1);
  }
  Step SubBlock(uint64_t pos) {
    state_ = State::kSubBlock;
    return ReadAt(pos, 1);
  }

  State state_ = State::kScreen;
  bool sawImage_ = false;
};

// GIF87a: the screen descriptor's last byte is reserved (zero), and the first block after
// the colour table is an image (or, from writers that ignore the version, an extension).
FileKind DetectGif87a(const uint8_t* d, std::size_t size) {
  if (size < 32 || std::memcmp(d, "GIF87a", 6) != 0) return kNoHeader;
  const uint16_t width = Le16(d + 6);
  const uint16_t height = Le16(d + 8);
  if (width == 0 || height == 0 || d[12] != 0) return kNoHeader;
  const std::size_t block = 13 + ColourTableBytes(d[10]);
  if (block + 10 > size) return kGif87a;
  if (d[block] == kExtension) return kGif87a;
  if (d[block] != kImage) return kNoHeader;
  const uint16_t imageWidth = Le16(d + block + 5);
  const uint16_t imageHeight = Le16(d + block + 7);
  return imageWidth != 0 && imageHeight != 0 ? kGif87a : kNoHeader;
}

std::unique_ptr<EndFinder> MakeGifFinder(FileKind kind) {
  if (kind != kGif && kind != kGif87a) return nullptr;
  return std::make_unique<GifEndFinder>();
}

}  // namespace

const FormatFamily kGifFamily = {DetectGif87a, MakeGifFinder};

}  // namespace orlenta
