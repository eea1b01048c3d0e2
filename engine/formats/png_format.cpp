// SPDX-License-Identifier: GPL-3.0-or-later
// PNG: the signature, then chunks (length, four-letter type, data, CRC) up to IEND. Each
// chunk's CRC, over its type and data, is checked on the way.
#include <algorithm>
#include <cstring>

#include "checksums.h"
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
    if (pos < chunkEnd_) return Data(w, pos);
    if (pos == chunkEnd_ && chunkEnd_ != 0) return Checked(w.At(pos));
    const uint8_t* chunk = w.At(pos);
    const uint32_t length = Be32(chunk);
    if (length > 0x7FFFFFFF) return Broken();
    for (int i = 4; i < 8; ++i) {
      if (!IsLetter(chunk[i])) return Broken();
    }
    isEnd_ = std::memcmp(chunk + 4, "IEND", 4) == 0;
    crc_ = Crc32(0, chunk + 4, 4);
    chunkEnd_ = pos + 8 + length;
    return length == 0 ? ReadAt(chunkEnd_, 4) : ScanFrom(pos + 8);
  }

  Step Data(const ByteWindow& w, uint64_t pos) {
    const uint64_t upTo = std::min(chunkEnd_, w.End());
    crc_ = Crc32(crc_, w.At(pos), static_cast<std::size_t>(upTo - pos));
    return upTo < chunkEnd_ ? ScanFrom(upTo) : ReadAt(chunkEnd_, 4);
  }

  Step Checked(const uint8_t* stored) {
    if (Be32(stored) != crc_) return Broken();
    const uint64_t next = chunkEnd_ + 4;
    chunkEnd_ = 0;
    return isEnd_ ? EndAt(next) : ReadAt(next, 8);
  }

  uint64_t chunkEnd_ = 0;  // the end of the data of the chunk being read; 0 between chunks
  uint32_t crc_ = 0;
  bool isEnd_ = false;
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
