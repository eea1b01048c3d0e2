// SPDX-License-Identifier: GPL-3.0-or-later
// BMP: a 14-byte file header (with the file size and the pixel offset) and an information
// header whose size names its version. The end is the file size, accepted only when it
// agrees with what the information header says the pixels take.
#include <algorithm>
#include <optional>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kLargestInfo = 124;  // the version with a colour profile
constexpr uint32_t kHeaderBytesToRead = kFileHeaderBytes + kLargestInfo;

constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

bool IsKnownInfoSize(uint32_t size) {
  return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
         size == 124;
}

bool IsKnownDepth(uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The length of the file the headers describe, or nothing when they do not hold together.
// `d` holds at least kHeaderBytesToRead bytes.
std::optional<uint64_t> BmpLength(const uint8_t* d) {
  if (d[0] != 'B' || d[1] != 'M' || Le32(d + 6) != 0) return std::nullopt;
  const uint32_t fileSize = Le32(d + 2);
  const uint32_t pixelOffset = Le32(d + 10);
  const uint32_t infoSize = Le32(d + 14);
  if (!IsKnownInfoSize(infoSize) || pixelOffset < kFileHeaderBytes + infoSize) return std::nullopt;
  const bool core = infoSize == 12;
  const int64_t width = core ? Le16(d + 18) : static_cast<int32_t>(Le32(d + 18));
  const int64_t height = core ? Le16(d + 20) : static_cast<int32_t>(Le32(d + 22));
  const uint32_t planes = core ? Le16(d + 22) : Le16(d + 26);
  const uint32_t bits = core ? Le16(d + 24) : Le16(d + 28);
  const uint32_t compression = core ? kUncompressed : Le32(d + 30);
  if (planes != 1 || !IsKnownDepth(bits) || width <= 0 || width > 65535 || height == 0 ||
      height > 65535 || height < -65535 || compression > kAlphaBitFields) {
    return std::nullopt;
  }
  const bool raw =
      compression == kUncompressed || compression == kBitFields || compression == kAlphaBitFields;
  if (!raw) {
    // Run-length or embedded pictures: only the stored sizes can tell.
    const uint32_t imageSize = Le32(d + 34);
    if (fileSize < uint64_t{pixelOffset} + imageSize || imageSize == 0) return std::nullopt;
    return fileSize;
  }
  const uint64_t rowBytes = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t pixelsEnd =
      pixelOffset + rowBytes * static_cast<uint64_t>(height < 0 ? -height : height);
  if (fileSize == 0) return pixelsEnd;  // allowed for uncompressed pictures
  // A few writers pad the file by a word; a colour profile may follow the pixels.
  uint64_t largest = pixelsEnd + 4;
  if (infoSize == kLargestInfo) {
    const uint64_t profileEnd = uint64_t{kFileHeaderBytes} + Le32(d + 126) + Le32(d + 130);
    largest = std::max(largest, profileEnd);
  }
  if (fileSize < pixelsEnd || fileSize > largest) return std::nullopt;
  return fileSize;
}

class BmpEndFinder : public RecordWalk {
 public:
  BmpEndFinder() : RecordWalk(ReadAt(0, kHeaderBytesToRead)) {}

 private:
  Step Examine(const ByteWindow& w, const Step&) override {
    const std::optional<uint64_t> length = BmpLength(w.At(0));
    return length ? EndAt(*length) : Broken();
  }
};

// BMPs that the described test passes over: other information headers or pixel offsets
// (a palette before the pixels). The whole header must hold together.
FileKind DetectBmpOther(const uint8_t* d, std::size_t size) {
  if (size < kHeaderBytesToRead || !BmpLength(d)) return kNoHeader;
  return kBmpOther;
}

std::unique_ptr<EndFinder> MakeBmpFinder(FileKind kind) {
  if (kind != kBmp && kind != kBmpOther) return nullptr;
  return std::make_unique<BmpEndFinder>();
}

}  // namespace

const FormatFamily kBmpFamily = {DetectBmpOther, MakeBmpFinder};

}  // namespace orlenta
