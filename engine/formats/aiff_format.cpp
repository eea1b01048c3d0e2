// SPDX-License-Identifier: GPL-3.0-or-later
// AIFF and AIFC: "FORM", the big-endian size of what follows, the form type, then chunks
// (id, big-endian size, data padded to an even length). The chunks must fill the form
// exactly, and the file ends where the form does.
#include <cstring>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

bool IsChunkId(const uint8_t* id) {
  for (int i = 0; i < 4; ++i) {
    if (id[i] < 0x20 || id[i] > 0x7E) return false;
  }
  return true;
}

bool IsAiffForm(const uint8_t* d) {
  return std::memcmp(d, "FORM", 4) == 0 &&
         (std::memcmp(d + 8, "AIFF", 4) == 0 || std::memcmp(d + 8, "AIFC", 4) == 0);
}

class AiffEndFinder : public RecordWalk {
 public:
  AiffEndFinder() : RecordWalk(ReadAt(0, 12)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const uint8_t* d = w.At(pos);
    if (pos == 0) {
      if (!IsAiffForm(d) || Be32(d + 4) < 4) return Broken();
      formEnd_ = 8 + uint64_t{Be32(d + 4)};
      return formEnd_ == 12 ? Broken() : ReadAt(12, 8);
    }
    if (!IsChunkId(d)) return Broken();
    const uint32_t size = Be32(d + 4);
    const uint64_t next = pos + 8 + size + (size & 1);
    sawSound_ = sawSound_ || std::memcmp(d, "SSND", 4) == 0;
    // Some writers leave the last chunk's pad byte out of the form's size.
    if (next == formEnd_ || (next == formEnd_ + 1 && (size & 1) != 0)) {
      return sawSound_ ? EndAt(formEnd_) : Broken();
    }
    if (next > formEnd_) return Broken();
    return ReadAt(next, 8);
  }

  uint64_t formEnd_ = 0;
  bool sawSound_ = false;
};

// The form header and a first chunk that fits in it.
FileKind DetectAiff(const uint8_t* d, std::size_t size) {
  if (size < 24 || !IsAiffForm(d) || !IsChunkId(d + 12)) return kNoHeader;
  if (Be32(d + 4) < 12 || uint64_t{Be32(d + 16)} + 12 > Be32(d + 4)) return kNoHeader;
  return kAiff;
}

std::unique_ptr<EndFinder> MakeAiffFinder(FileKind kind) {
  if (kind != kAiff) return nullptr;
  return std::make_unique<AiffEndFinder>();
}

}  // namespace

const FormatFamily kAiffFamily = {DetectAiff, MakeAiffFinder};

}  // namespace orlenta
