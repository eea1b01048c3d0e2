// SPDX-License-Identifier: GPL-3.0-or-later
// The wider header test answers a kind the program knows for any sector. Any bytes taken as
// a file of any kind whose end can be found from its structure, handed to its end finder as
// a carver would (the header sector first, then what it asks for, in pieces of any size):
// every request lies at or after the bytes just given and asks for no more than a finder
// may, an end is never before the file's first byte nor past the bytes given, the walk
// always stops, and the answer is the same however the bytes were cut.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/file_kind.h"
#include "engine/formats/format_registry.h"
#include "fuzz_check.h"

namespace {

using namespace orlenta;

constexpr std::size_t kHeaderSector = 2048;

// How many bytes beyond those asked for each call gets: none, or a number drawn from a
// small generator, so that the same input always cuts the file the same way.
class Pieces {
 public:
  explicit Pieces(uint32_t seed) : state_(seed | 1) {}
  static Pieces Exact() { return Pieces(); }

  std::size_t Extra(std::size_t available) {
    if (exact_ || available == 0) return 0;
    state_ ^= state_ << 13, state_ ^= state_ >> 17, state_ ^= state_ << 5;
    const std::size_t choice = state_ % 4;  // none, a few, a sector's worth, all
    const std::size_t wanted = choice == 0   ? 0
                               : choice == 1 ? state_ % 16
                               : choice == 2 ? 2048
                                             : available;
    return std::min(wanted, available);
  }

 private:
  Pieces() : state_(1), exact_(true) {}
  uint32_t state_;
  bool exact_ = false;
};

// The file's length as the finder says it, or nullopt when it gives up. When a request
// reaches past the data, the finder gets what is left from there: that is how it hears
// that the data end.
std::optional<uint64_t> FindEnd(FileKind kind, std::span<const uint8_t> file, Pieces pieces) {
  const auto finder = MakeEndFinder(kind);
  uint64_t at = 0;
  std::size_t given = std::min(file.size(), kHeaderSector);
  // Every request but those past the data reaches beyond the bytes given so far, so a walk
  // that stops makes about one call per byte at most.
  for (std::size_t calls = 0; calls <= file.size() + 64; ++calls) {
    const FinderStep step = finder->Next(at, file.subspan(at, given));
    switch (step.kind) {
      case FinderStep::kBroken:
        return std::nullopt;
      case FinderStep::kEnd:
        Require(step.offset > 0, "an end lies after the file's first byte");
        Require(step.offset <= at + given, "an end lies within the bytes given");
        return step.offset;
      case FinderStep::kNeed:
      case FinderStep::kScan: {
        Require(step.offset >= at, "a request never points before the bytes given");
        const bool need = step.kind == FinderStep::kNeed;
        if (need) Require(step.length > 0 && step.length <= kMaxFinderNeed, "a need is small");
        const uint64_t wanted = need ? step.length : 1;
        at = std::min<uint64_t>(step.offset, file.size());
        const std::size_t available = file.size() - at;
        given = step.offset + wanted > file.size()
                    ? available
                    : wanted + pieces.Extra(available - static_cast<std::size_t>(wanted));
        break;
      }
    }
  }
  Require(false, "the walk stops");
  return std::nullopt;
}

}  // namespace

// The first byte chooses how the file is cut into pieces; the rest is the file, whose kind
// the wider header test decides, as in a carve.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::span<const uint8_t> file(data + 1, size - 1);
  std::vector<uint8_t> sector(std::max(kHeaderSector, kDetectionDepth), 0);
  std::copy_n(file.begin(), std::min(file.size(), kHeaderSector), sector.begin());
  const FileKind kind = DetectMoreKinds(sector.data(), std::min(file.size(), kHeaderSector));
  Require(kind >= kNoHeader && kind <= kAllKindCount, "the header test answers a known kind");
  if (kind == kNoHeader || !MakeEndFinder(kind)) return 0;
  const auto exact = FindEnd(kind, file, Pieces::Exact());
  const auto cut = FindEnd(kind, file, Pieces(data[0]));
  Require(exact == cut, "the end does not depend on how the bytes arrive");
  return 0;
}
