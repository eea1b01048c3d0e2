// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_size.h"

#include <cstdlib>
#include <cstring>

#include "formats/byte_window.h"

namespace orlenta {
namespace {

std::optional<PictureSize> PngSize(const ByteWindow& bytes) {
  if (!bytes.Holds(12, 12) || std::memcmp(bytes.At(12), "IHDR", 4) != 0) return std::nullopt;
  return PictureSize{Be32(bytes.At(16)), Be32(bytes.At(20))};
}

std::optional<PictureSize> GifSize(const ByteWindow& bytes) {
  if (!bytes.Holds(6, 4)) return std::nullopt;
  return PictureSize{Le16(bytes.At(6)), Le16(bytes.At(8))};
}

std::optional<PictureSize> BmpSize(const ByteWindow& bytes) {
  if (!bytes.Holds(14, 8)) return std::nullopt;
  if (Le32(bytes.At(14)) == 12) return PictureSize{Le16(bytes.At(18)), Le16(bytes.At(20))};
  if (!bytes.Holds(18, 8)) return std::nullopt;
  // The height is negative for pictures stored top row first.
  const auto height = static_cast<int32_t>(Le32(bytes.At(22)));
  const auto width = static_cast<int32_t>(Le32(bytes.At(18)));
  if (width < 0) return std::nullopt;
  return PictureSize{static_cast<uint32_t>(width), height < 0 ? 0u - static_cast<uint32_t>(height)
                                                              : static_cast<uint32_t>(height)};
}

bool IsFrameHeader(uint8_t marker) {
  // SOF0..SOF15, but not DHT (C4), JPG (C8) or DAC (CC), which share the range.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<PictureSize> JpegSize(const ByteWindow& bytes) {
  uint64_t at = 2;  // after SOI
  while (bytes.Holds(at, 4)) {
    const uint8_t* segment = bytes.At(at);
    if (segment[0] != 0xFF) return std::nullopt;
    if (segment[1] == 0xFF) {  // fill bytes before a marker
      ++at;
      continue;
    }
    if (IsFrameHeader(segment[1])) {
      if (!bytes.Holds(at + 5, 4)) return std::nullopt;
      return PictureSize{Be16(bytes.At(at + 7)), Be16(bytes.At(at + 5))};
    }
    if (segment[1] == 0xDA || segment[1] == 0xD9) return std::nullopt;  // scan before a frame
    at += 2 + uint64_t{Be16(segment + 2)};
  }
  return std::nullopt;
}

}  // namespace

std::optional<PictureSize> PictureSizeOf(FileKind kind, std::span<const uint8_t> header) {
  const ByteWindow bytes(0, header);
  switch (kind) {
    case kJpeg:
    case kJpegOther:
      return JpegSize(bytes);
    case kPng:
      return PngSize(bytes);
    case kGif:
    case kGif87a:
      return GifSize(bytes);
    case kBmp:
    case kBmpOther:
      return BmpSize(bytes);
    default:
      return std::nullopt;
  }
}

}  // namespace orlenta
