// SPDX-License-Identifier: GPL-3.0-or-later
// Matroska and WebM: EBML elements, each an ID and a size in a variable-length form. The
// file is an EBML header element (whose DocType says Matroska or WebM) and a Segment; the
// walk steps over the Segment's top-level children (clusters and the rest) and ends at
// the Segment's end, which they must reach exactly. A Segment of unknown size ends where
// its children stop.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint32_t kEbmlHeader = 0x1A45DFA3;
constexpr uint32_t kSegment = 0x18538067;
constexpr uint32_t kLongestElementHead = 12;  // a 4-byte ID and an 8-byte size

struct ElementHead {
  uint32_t id;
  uint64_t size;  // kUnknownSize when all its bits are ones
  uint32_t length;
};
constexpr uint64_t kUnknownSize = ~uint64_t{0};

// The ID and size at `d` (`size` bytes), or nothing when they are malformed.
std::optional<ElementHead> ReadHead(const uint8_t* d, std::size_t size) {
  if (size < 2 || d[0] < 0x10) return std::nullopt;  // IDs are 1 to 4 bytes
  const uint32_t idBytes = d[0] >= 0x80 ? 1 : d[0] >= 0x40 ? 2 : d[0] >= 0x20 ? 3 : 4;
  if (idBytes >= size) return std::nullopt;
  uint32_t id = 0;
  for (uint32_t i = 0; i < idBytes; ++i) id = id << 8 | d[i];
  const uint8_t lead = d[idBytes];
  if (lead == 0) return std::nullopt;
  uint32_t sizeBytes = 1;
  while ((lead & (0x80 >> (sizeBytes - 1))) == 0) ++sizeBytes;
  if (idBytes + sizeBytes > size) return std::nullopt;
  uint64_t value = lead & (0xFF >> sizeBytes);
  bool allOnes = value == (0xFFu >> sizeBytes);
  for (uint32_t i = 1; i < sizeBytes; ++i) {
    value = value << 8 | d[idBytes + i];
    allOnes = allOnes && d[idBytes + i] == 0xFF;
  }
  return ElementHead{id, allOnes ? kUnknownSize : value, idBytes + sizeBytes};
}

bool IsSegmentChild(uint32_t id) {
  switch (id) {
    case 0x114D9B74:  // SeekHead
    case 0x1549A966:  // Info
    case 0x1654AE6B:  // Tracks
    case 0x1F43B675:  // Cluster
    case 0x1C53BB6B:  // Cues
    case 0x1941A469:  // Attachments
    case 0x1043A770:  // Chapters
    case 0x1254C367:  // Tags
    case 0xEC:        // Void
    case 0xBF:        // CRC-32
      return true;
    default:
      return false;
  }
}

class MatroskaEndFinder : public RecordWalk {
 public:
  MatroskaEndFinder() : RecordWalk(ReadAt(0, kLongestElementHead)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    const std::optional<ElementHead> head = ReadHead(w.At(pos), kLongestElementHead);
    if (pos == 0) {
      if (!head || head->id != kEbmlHeader || head->size == kUnknownSize) return Broken();
      return ReadAt(head->length + head->size, kLongestElementHead);
    }
    if (segmentEnd_ == 0) {
      if (!head || head->id != kSegment) return Broken();
      const uint64_t start = pos + head->length;
      segmentEnd_ = head->size == kUnknownSize ? kUnknownSize : start + head->size;
      if (segmentEnd_ != kUnknownSize && segmentEnd_ > kLargestFile) return Broken();
      return Child(start);
    }
    if (pos == segmentEnd_) return EndAt(pos);
    if (!head || !IsSegmentChild(head->id)) return ChildrenStopped(pos);
    if (head->size == kUnknownSize) {
      // A live-written cluster: its end shows only where the next child begins.
      return Broken();
    }
    const uint64_t next = pos + head->length + head->size;
    if (next > segmentEnd_ || next > kLargestFile) return Broken();
    return Child(next);
  }

  Step Child(uint64_t pos) {
    if (pos == segmentEnd_) return EndAt(pos);
    return ReadAt(pos, kLongestElementHead);
  }

  Step ChildrenStopped(uint64_t pos) const {
    return segmentEnd_ == kUnknownSize ? EndAt(pos) : Broken();
  }

  Step DataEnded(const Step& step) override {
    return segmentEnd_ == kUnknownSize ? EndAt(step.offset) : Broken();
  }

  uint64_t segmentEnd_ = 0;
};

// A string element's `size` bytes at `value` hold `name`: some muxers write the name and
// a NUL (or more), as strings in EBML may be padded with them.
bool IsDocType(const uint8_t* value, uint64_t size, std::string_view name) {
  if (size < name.size() || std::memcmp(value, name.data(), name.size()) != 0) return false;
  return std::all_of(value + name.size(), value + size, [](uint8_t b) { return b == 0; });
}

// The EBML header element and, inside it, the DocType element naming the format.
FileKind DetectMatroska(const uint8_t* d, std::size_t size) {
  const std::optional<ElementHead> head = ReadHead(d, std::min<std::size_t>(size, 12));
  if (!head || head->id != kEbmlHeader || head->size > 256 || head->length + head->size > size) {
    return kNoHeader;
  }
  const uint8_t* end = d + head->length + head->size;
  for (const uint8_t* p = d + head->length; p + 2 < end;) {
    const std::optional<ElementHead> child = ReadHead(p, static_cast<std::size_t>(end - p));
    if (!child || child->size > static_cast<uint64_t>(end - p) - child->length) return kNoHeader;
    const uint8_t* value = p + child->length;
    if (child->id == 0x4282) {  // DocType
      if (IsDocType(value, child->size, "matroska")) return kMatroska;
      if (IsDocType(value, child->size, "webm")) return kWebm;
      return kNoHeader;
    }
    p = value + child->size;
  }
  return kNoHeader;
}

std::unique_ptr<EndFinder> MakeMatroskaFinder(FileKind kind) {
  if (kind != kMatroska && kind != kWebm) return nullptr;
  return std::make_unique<MatroskaEndFinder>();
}

}  // namespace

const FormatFamily kMatroskaFamily = {DetectMatroska, MakeMatroskaFinder};

}  // namespace orlenta
