// SPDX-License-Identifier: GPL-3.0-or-later
// RIFF (AVI, WAVE): "RIFF", the size of what follows, the form type, then chunks (id, size,
// data padded to an even length). The walk checks each top-level chunk header up to the
// size the RIFF header gives. Large AVIs go on in further RIFF parts of form "AVIX".
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

class RiffEndFinder : public RecordWalk {
 public:
  RiffEndFinder() : RecordWalk(ReadAt(0, 12)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const uint8_t* d = w.At(pos);
    if (expectPart_) return StartPart(pos, d);
    if (padUncounted_) return AfterPadByte(*d);
    const uint64_t next = pos + 8 + Le32(d + 4) + (Le32(d + 4) & 1);
    if (!IsChunkId(d)) return Broken();
    if (next == partEnd_ + 1 && !isAvi_) {
      padUncounted_ = true;
      return ReadAt(partEnd_, 1);
    }
    // Some writers leave out the pad byte of the last chunk: the RIFF size tells.
    if (next == partEnd_ || next == partEnd_ + 1) return PartEnded();
    if (next > partEnd_) return Broken();
    return ReadAt(next, 8);
  }

  Step StartPart(uint64_t pos, const uint8_t* d) {
    expectPart_ = false;
    const bool first = pos == 0;
    if (std::memcmp(d, "RIFF", 4) != 0 || (!first && std::memcmp(d + 8, "AVIX", 4) != 0)) {
      return first ? Broken() : EndAt(pos);
    }
    const uint32_t size = Le32(d + 4);
    if (size < 4 || !IsChunkId(d + 8)) return Broken();
    if (first) isAvi_ = std::memcmp(d + 8, "AVI ", 4) == 0;
    partEnd_ = pos + 8 + size;
    return partEnd_ == pos + 12 ? PartEnded() : ReadAt(pos + 12, 8);
  }

  // Only an AVI may go on in a further part; anything else after it is not the file's.
  Step PartEnded() {
    if (!isAvi_) return EndAt(partEnd_);
    expectPart_ = true;
    return ReadAt(partEnd_, 12);
  }

  // The last chunk has an odd size that the RIFF size counts without its pad byte. Some
  // writers put the pad byte there all the same, others leave it out: a zero there is
  // taken for it, anything else for what follows the file. Either way the end is a guess.
  Step AfterPadByte(uint8_t byte) const {
    return byte == 0 ? LikelyEndAt(partEnd_ + 1) : LikelyEndAt(partEnd_);
  }

  Step DataEnded(const Step& step) override {
    const bool atPartEnd = (expectPart_ || padUncounted_) && step.offset == partEnd_;
    return atPartEnd ? EndAt(partEnd_) : Broken();
  }

  uint64_t partEnd_ = 0;
  bool expectPart_ = true;
  bool isAvi_ = false;
  bool padUncounted_ = false;  // the byte at partEnd_ may be the last chunk's pad byte
};

std::unique_ptr<EndFinder> MakeRiffFinder(FileKind kind) {
  if (kind != kAvi && kind != kWave) return nullptr;
  return std::make_unique<RiffEndFinder>();
}

FileKind NoNewRiffKind(const uint8_t*, std::size_t) {
  return kNoHeader;
}

}  // namespace

const FormatFamily kRiffFamily = {NoNewRiffKind, MakeRiffFinder};

}  // namespace orlenta
