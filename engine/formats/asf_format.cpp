// SPDX-License-Identifier: GPL-3.0-or-later
// ASF (WMA, WMV): top-level objects, each a 16-byte GUID and a 64-bit size: the header
// object, the data object, then optional index objects. The file ends where the next bytes
// are no top-level object. Whether it is sound or video shows in the header's stream
// properties.
#include <cstring>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

using Guid = uint8_t[16];

constexpr Guid kHeaderObject = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kDataObject = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                              0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kSimpleIndexObject = {0x90, 0x08, 0x00, 0x33, 0xB1, 0xE5, 0xCF, 0x11,
                                     0x89, 0xF4, 0x00, 0xA0, 0xC9, 0x03, 0x49, 0xCB};
constexpr Guid kIndexObject = {0xD3, 0x29, 0xE2, 0xD6, 0xDA, 0x35, 0xD1, 0x11,
                               0x90, 0x34, 0x00, 0xA0, 0xC9, 0x03, 0x49, 0xBE};
constexpr Guid kMediaObjectIndexObject = {0xF8, 0x03, 0xB1, 0xFE, 0xAD, 0x12, 0x64, 0x4C,
                                          0x84, 0x0F, 0x2A, 0x1D, 0x2F, 0x7A, 0xD4, 0x8C};
constexpr Guid kTimecodeIndexObject = {0xD0, 0x3F, 0xB7, 0x3C, 0x4A, 0x0C, 0x03, 0x48,
                                       0x95, 0x3D, 0xED, 0xF7, 0xB6, 0x22, 0x8F, 0x0C};
constexpr Guid kVideoMedia = {0xC0, 0xEF, 0x19, 0xBC, 0x4D, 0x5B, 0xCF, 0x11,
                              0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};

constexpr uint32_t kObjectHeaderBytes = 24;

bool Is(const uint8_t* d, const Guid& guid) {
  return std::memcmp(d, guid, sizeof(Guid)) == 0;
}

class AsfEndFinder : public RecordWalk {
 public:
  AsfEndFinder() : RecordWalk(ReadAt(0, kObjectHeaderBytes)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const uint8_t* d = w.At(pos);
    const uint64_t size = Le64(d + 16);
    if (pos == 0) {
      if (!Is(d, kHeaderObject) || size < 30) return Broken();
      return ReadAt(size, kObjectHeaderBytes);
    }
    if (Is(d, kDataObject) && !sawData_) {
      sawData_ = true;
      // A size of zero: a broadcast stream, whose end no structure gives.
      if (size < 50 || size > kLargestFile) return Broken();
      return ReadAt(pos + size, kObjectHeaderBytes);
    }
    const bool index = Is(d, kSimpleIndexObject) || Is(d, kIndexObject) ||
                       Is(d, kMediaObjectIndexObject) || Is(d, kTimecodeIndexObject);
    if (!index || !sawData_) return NoMoreObjects(pos);
    if (size < kObjectHeaderBytes || size > kLargestFile) return Broken();
    return ReadAt(pos + size, kObjectHeaderBytes);
  }

  Step NoMoreObjects(uint64_t pos) const { return sawData_ ? EndAt(pos) : Broken(); }
  Step DataEnded(const Step& step) override { return NoMoreObjects(step.offset); }

  bool sawData_ = false;
};

// The header object: a sane size and object count, and its two reserved bytes. A video
// stream's properties make it a WMV; anything else is taken for sound.
FileKind DetectAsf(const uint8_t* d, std::size_t size) {
  if (size < 30 || !Is(d, kHeaderObject)) return kNoHeader;
  const uint64_t headerSize = Le64(d + 16);
  const uint32_t objects = Le32(d + 24);
  if (headerSize < 30 || headerSize > (uint64_t{1} << 24) || objects == 0 || objects > 1000 ||
      d[28] != 0x01 || d[29] != 0x02) {
    return kNoHeader;
  }
  const std::size_t end = static_cast<std::size_t>(std::min<uint64_t>(headerSize, size));
  for (std::size_t at = 30; at + sizeof(Guid) <= end; ++at) {
    if (Is(d + at, kVideoMedia)) return kWmv;
  }
  return kWma;
}

std::unique_ptr<EndFinder> MakeAsfFinder(FileKind kind) {
  if (kind != kWma && kind != kWmv) return nullptr;
  return std::make_unique<AsfEndFinder>();
}

}  // namespace

const FormatFamily kAsfFamily = {DetectAsf, MakeAsfFinder};

}  // namespace orlenta
