// SPDX-License-Identifier: GPL-3.0-or-later
// PNG: the signature, then chunks (length, four-letter type, data, CRC) up to IEND. The
// CRCs are not checked: the walk only needs each chunk's length and a plausible type.
#include <cstring>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool IsLetter(uint8_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

class PngEndFinder : public RecordWalk {
 public:
  PngEndFinder() : RecordWalk(ReadAt(0, 16)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    if (pos == 0) {
      if (std::memcmp(w.At(0), kSignature, 8) != 0 || std::memcmp(w.At(12), "IHDR", 4) != 0) {
        return Broken();
      }
      return ReadAt(8, 8);
    }
    const uint8_t* chunk = w.At(pos);
    const uint32_t length = Be32(chunk);
    if (length > 0x7FFFFFFF) return Broken();
    for (int i = 4; i < 8; ++i) {
      if (!IsLetter(chunk[i])) return Broken();
    }
    const uint64_t next = pos + 12 + length;
    if (std::memcmp(chunk + 4, "IEND", 4) == 0) return EndAt(next);
    return ReadAt(next, 8);
  }
};

std::unique_ptr<EndFinder> MakePngFinder(FileKind kind) {
  if (kind != kPng) return nullptr;
  return std::make_unique<PngEndFinder>();
}

FileKind NoNewPngKind(const uint8_t*, std::size_t) {
  return kNoHeader;
}

}  // namespace

const FormatFamily kPngFamily = {NoNewPngKind, MakePngFinder};

}  // namespace orlenta
