// SPDX-License-Identifier: GPL-3.0-or-later
// Fujifilm's RAF raw files: a header naming the format, the camera and the format's
// version, then the offsets and lengths (big-endian) of the parts that follow it: the
// preview JPEG, the sensor's header and the sensor data. The file ends with the furthest
// of them.
#include <algorithm>
#include <cstring>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr char kMagic[] = "FUJIFILMCCD-RAW ";
constexpr uint32_t kMagicBytes = 16;
constexpr uint32_t kDirectoryAt = 84;  // the preview's offset, then the other parts'
constexpr uint32_t kParts = 3;
constexpr uint32_t kHeaderBytes = kDirectoryAt + kParts * 8;

class RafEndFinder : public RecordWalk {
 public:
  RafEndFinder() : RecordWalk(ReadAt(0, kHeaderBytes)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint8_t* d = w.At(step.offset);
    if (std::memcmp(d, kMagic, kMagicBytes) != 0) return Broken();
    uint64_t end = kHeaderBytes;
    for (uint32_t part = 0; part < kParts; ++part) {
      const uint8_t* entry = d + kDirectoryAt + 8 * part;
      const uint64_t offset = Be32(entry);
      const uint64_t length = Be32(entry + 4);
      if (length == 0) continue;
      if (offset < kHeaderBytes) return Broken();
      end = std::max(end, offset + length);
    }
    return end == kHeaderBytes ? Broken() : EndAt(end);
  }
};

// The format's name and a version of four digits.
FileKind DetectRaf(const uint8_t* d, std::size_t size) {
  if (size < kHeaderBytes || std::memcmp(d, kMagic, kMagicBytes) != 0) return kNoHeader;
  for (int i = 60; i < 64; ++i) {
    if (d[i] < '0' || d[i] > '9') return kNoHeader;
  }
  return kRaf;
}

std::unique_ptr<EndFinder> MakeRafFinder(FileKind kind) {
  if (kind != kRaf) return nullptr;
  return std::make_unique<RafEndFinder>();
}

}  // namespace

const FormatFamily kRafFamily = {DetectRaf, MakeRafFinder};

}  // namespace orlenta
