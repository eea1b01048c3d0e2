// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF pictures and the camera raw files built on TIFF (CR2, NEF, ARW, DNG, ORF, RW2): a header,
// then image file directories (IFDs) whose entries point at strips, tiles, previews, further IFDs
// and out-of-line values. Nothing in a TIFF states its length, so the finder takes the file to end
// at the furthest byte anything points at: exact for files laid out as cameras write them
// (directories first, the sensor data last). The bytes arrive once, in order, so everything the
// walk must read (directories, offset arrays) must lie after what it read before; a file that
// points back at a directory it has passed cannot be followed.
#include <algorithm>
#include <cstring>
#include <optional>
#include <queue>
#include <vector>

#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

constexpr uint16_t kStripOffsets = 0x111;
constexpr uint16_t kStripByteCounts = 0x117;
constexpr uint16_t kTileOffsets = 0x144;
constexpr uint16_t kTileByteCounts = 0x145;
constexpr uint16_t kSubIfds = 0x14A;
constexpr uint16_t kJpegOffset = 0x201;
constexpr uint16_t kJpegLength = 0x202;
constexpr uint16_t kMake = 0x10F;
constexpr uint16_t kExifIfd = 0x8769;
constexpr uint16_t kGpsIfd = 0x8825;
constexpr uint16_t kInteropIfd = 0xA005;
constexpr uint16_t kDngVersion = 0xC612;

constexpr uint32_t kMostEntries = (kMaxFinderNeed - 6) / 12;
constexpr uint32_t kMostPieces = 1u << 16;  // strips or tiles in one directory
constexpr std::size_t kMostPending = 1024;
constexpr uint32_t kLargestPicture = uint32_t{1} << 30;

uint32_t TypeBytes(uint16_t type) {
  switch (type) {
    case 1:
    case 2:
    case 6:
    case 7:
      return 1;  // bytes, text, undefined
    case 3:
    case 8:
      return 2;  // shorts
    case 4:
    case 9:
    case 11:
    case 13:
      return 4;  // longs, floats, IFD pointers
    case 5:
    case 10:
    case 12:
      return 8;  // rationals, doubles
    default:
      return 0;
  }
}

constexpr uint16_t kOlympusMark = 0x4F52;
constexpr uint16_t kOlympusOtherMark = 0x5352;
constexpr uint16_t kPanasonicMark = 0x55;

struct Order {
  bool little;
  uint16_t mark;
  uint16_t U16(const uint8_t* p) const { return little ? Le16(p) : Be16(p); }
  uint32_t U32(const uint8_t* p) const { return little ? Le32(p) : Be32(p); }
};

// The byte order of a TIFF header, with the number after it: 42 for TIFF, or the marks of
// Olympus ("RO", "RS") and Panasonic (0x55) raw files built the same way.
std::optional<Order> ReadOrder(const uint8_t* d) {
  const bool little = d[0] == 'I' && d[1] == 'I';
  if (!little && !(d[0] == 'M' && d[1] == 'M')) return std::nullopt;
  const uint16_t mark = little ? Le16(d + 2) : Be16(d + 2);
  if (mark != 42 && mark != kOlympusMark && mark != kOlympusOtherMark && mark != kPanasonicMark) {
    return std::nullopt;
  }
  return Order{little, mark};
}

// Something the walk must read: a directory, or an array of offsets or byte counts.
struct Pending {
  enum Kind : uint8_t { kIfd, kOffsets, kCounts, kIfdList };
  uint64_t offset;
  Kind kind;
  uint16_t type;
  uint32_t count;
  bool operator>(const Pending& other) const { return offset > other.offset; }
};

class TiffRawEndFinder : public RecordWalk {
 public:
  TiffRawEndFinder() : RecordWalk(ReadAt(0, 8)) {}

 private:
  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    if (!order_) {
      order_ = ReadOrder(w.At(0));
      if (!order_) return Broken();
      const uint32_t first = order_->U32(w.At(4));
      if (first < 8 || !Push({first, Pending::kIfd, 0, 0})) return Broken();
      return NextPending(8);
    }
    const Pending item = current_;
    lastRead_ = pos;
    if (item.kind == Pending::kIfd) {
      const uint32_t entries = order_->U16(w.At(pos));
      if (entries == 0 || entries > kMostEntries) return Broken();
      const uint32_t bytes = 2 + entries * 12 + 4;
      if (step.length < bytes) return ReadAt(pos, bytes);
      if (!Directory(w.At(pos), entries, pos + bytes)) return Broken();
    } else if (!Array(w.At(pos), item)) {
      return Broken();
    }
    return NextPending(pos);
  }

  // Reads one directory's entries: notes the extents of its values and what to read next.
  bool Directory(const uint8_t* d, uint32_t entries, uint64_t end) {
    Reach(end);
    piecesOffsets_.clear();
    piecesCounts_.clear();
    for (uint32_t i = 0; i < entries; ++i) {
      const uint8_t* e = d + 2 + 12 * i;
      const uint16_t tag = order_->U16(e);
      const uint16_t type = order_->U16(e + 2);
      const uint32_t count = order_->U32(e + 4);
      const uint32_t unit = TypeBytes(type);
      if (unit == 0) continue;  // a private type: its value cannot be sized
      const uint64_t bytes = uint64_t{count} * unit;
      const bool inside = bytes <= 4;
      const uint64_t valueAt = inside ? 0 : order_->U32(e + 8);
      if (!inside) Reach(valueAt + bytes);
      if (!Entry(tag, type, count, e + 8, inside, valueAt)) return false;
    }
    const uint32_t next = order_->U32(d + 2 + 12 * entries);
    if (next != 0 && !Push({next, Pending::kIfd, 0, 0})) return false;
    return PairPieces();
  }

  bool Entry(uint16_t tag, uint16_t type, uint32_t count, const uint8_t* value, bool inside,
             uint64_t valueAt) {
    if (tag == kExifIfd || tag == kGpsIfd || tag == kInteropIfd) {
      return Push({order_->U32(value), Pending::kIfd, 0, 0});
    }
    if (tag == kSubIfds) {
      if (inside) return count == 0 || Push({order_->U32(value), Pending::kIfd, 0, 0});
      return Push({valueAt, Pending::kIfdList, type, count});
    }
    if (tag == kJpegOffset) jpegOffset_ = order_->U32(value);
    if (tag == kJpegLength) jpegLength_ = order_->U32(value);
    const bool offsets = tag == kStripOffsets || tag == kTileOffsets;
    const bool counts = tag == kStripByteCounts || tag == kTileByteCounts;
    if (!offsets && !counts) return true;
    if (count == 0 || count > kMostPieces || (type != 3 && type != 4)) return false;
    if (!inside)
      return Push({valueAt, offsets ? Pending::kOffsets : Pending::kCounts, type, count});
    std::vector<uint64_t>& values = offsets ? piecesOffsets_ : piecesCounts_;
    for (uint32_t i = 0; i < count; ++i)
      values.push_back(type == 3 ? order_->U16(value + 2 * i) : order_->U32(value));
    return true;
  }

  // Strips or tiles given inline: their ends count now. (Arrays stored out of line are
  // paired as they are read.)
  bool PairPieces() {
    if (jpegOffset_ != 0 && jpegLength_ != 0) Reach(uint64_t{jpegOffset_} + jpegLength_);
    jpegOffset_ = jpegLength_ = 0;
    if (!piecesOffsets_.empty() && !piecesCounts_.empty()) {
      if (piecesOffsets_.size() != piecesCounts_.size()) return false;
      for (std::size_t i = 0; i < piecesOffsets_.size(); ++i)
        Reach(piecesOffsets_[i] + piecesCounts_[i]);
    } else if (!piecesOffsets_.empty()) {
      arrayOffsets_ = piecesOffsets_;
    } else if (!piecesCounts_.empty()) {
      arrayCounts_ = piecesCounts_;
    }
    return PairArrays();
  }

  bool Array(const uint8_t* d, const Pending& item) {
    const uint32_t unit = TypeBytes(item.type);
    // Offsets are shorts or longs; the bytes at hand were sized by `unit`, so any other
    // type would be read past them.
    if (unit != 2 && unit != 4) return false;
    const uint32_t n = item.count;
    std::vector<uint64_t> values(n);
    for (uint32_t i = 0; i < n; ++i) {
      values[i] = unit == 2 ? order_->U16(d + 2 * i) : order_->U32(d + 4 * i);
    }
    if (item.kind == Pending::kIfdList) {
      for (const uint64_t at : values) {
        if (!Push({at, Pending::kIfd, 0, 0})) return false;
      }
      return true;
    }
    (item.kind == Pending::kOffsets ? arrayOffsets_ : arrayCounts_) = std::move(values);
    return PairArrays();
  }

  bool PairArrays() {
    if (arrayOffsets_.empty() || arrayCounts_.empty()) return true;
    if (arrayOffsets_.size() != arrayCounts_.size()) return false;
    for (std::size_t i = 0; i < arrayOffsets_.size(); ++i)
      Reach(arrayOffsets_[i] + arrayCounts_[i]);
    arrayOffsets_.clear();
    arrayCounts_.clear();
    return true;
  }

  // Queues something to read; an offset of 0 means there is none (writers leave empty
  // pointers to Exif or GPS directories).
  bool Push(const Pending& item) {
    if (item.offset == 0) return true;
    if (item.offset > kLargestFile || pending_.size() >= kMostPending) return false;
    pending_.push(item);
    return true;
  }

  void Reach(uint64_t end) { furthest_ = std::max(furthest_, end); }

  // The nearest thing still to read; it must not lie behind what was read already.
  Step NextPending(uint64_t readSoFar) {
    if (pending_.empty()) {
      // Offsets or counts whose partner never came: the pieces cannot be measured.
      if (!arrayOffsets_.empty() || !arrayCounts_.empty()) return Broken();
      return EndAt(furthest_);
    }
    current_ = pending_.top();
    pending_.pop();
    // A pointer back to what was just read (a directory naming itself as the next one)
    // adds nothing; following it would read the same bytes for ever.
    if (current_.offset == lastRead_) return NextPending(readSoFar);
    if (current_.offset < readSoFar) return Broken();
    if (current_.kind == Pending::kIfd) return ReadAt(current_.offset, 2);
    const uint64_t bytes = uint64_t{current_.count} * TypeBytes(current_.type);
    if (bytes > kMaxFinderNeed) return Broken();
    return ReadAt(current_.offset, static_cast<uint32_t>(bytes));
  }

  std::optional<Order> order_;
  std::priority_queue<Pending, std::vector<Pending>, std::greater<>> pending_;
  Pending current_{};
  uint64_t furthest_ = 8;
  uint64_t lastRead_ = 0;  // where the structure examined last lies; 0 for the header
  uint32_t jpegOffset_ = 0;
  uint32_t jpegLength_ = 0;
  std::vector<uint64_t> piecesOffsets_, piecesCounts_;  // given inline in one directory
  std::vector<uint64_t> arrayOffsets_, arrayCounts_;    // stored out of line
};

// The raw kind of a TIFF: Canon's CR2 mark after the header, a DNG version entry, or the
// maker named in IFD0 (which must lie in the sector).
FileKind DetectTiffRaw(const uint8_t* d, std::size_t size) {
  if (size < 16) return kNoHeader;
  const std::optional<Order> order = ReadOrder(d);
  if (!order) return kNoHeader;
  const uint32_t ifd = order->U32(d + 4);
  if (ifd < 8) return kNoHeader;
  if (order->mark == kPanasonicMark) return ifd == 0x18 ? kRw2 : kNoHeader;
  if (order->mark != 42) return ifd == 8 ? kOrf : kNoHeader;
  // A plain TIFF picture may keep its first directory after its pixels (as libtiff
  // writes it): when the directory is in the sector it must hold, else its offset must be
  // on a word, as TIFF asks, and within a picture's size.
  if (ifd > size - 2) return ifd % 2 == 0 && ifd <= kLargestPicture ? kTiff : kNoHeader;
  const uint32_t entries = order->U16(d + ifd);
  if (entries == 0 || entries > kMostEntries || ifd + 2 + 12 * entries > size) return kNoHeader;
  if (order->little && d[8] == 'C' && d[9] == 'R' && d[10] == 2) return kCr2;
  FileKind kind = kTiff;
  for (uint32_t i = 0; i < entries; ++i) {
    const uint8_t* e = d + ifd + 2 + 12 * i;
    const uint16_t tag = order->U16(e);
    if (tag == kDngVersion) return kDng;
    if (tag != kMake || order->U16(e + 2) != 2) continue;
    const uint32_t count = order->U32(e + 4);
    const uint32_t at = count <= 4 ? static_cast<uint32_t>(e + 8 - d) : order->U32(e + 8);
    if (count < 4 || at > size || count > size - at) continue;
    if (std::memcmp(d + at, "NIKON", 5) == 0 && count >= 6) kind = kNef;
    if (std::memcmp(d + at, "SONY", 4) == 0) kind = kArw;
  }
  return kind;
}

std::unique_ptr<EndFinder> MakeTiffRawFinder(FileKind kind) {
  if (kind != kCr2 && kind != kNef && kind != kArw && kind != kDng && kind != kTiff &&
      kind != kOrf && kind != kRw2) {
    return nullptr;
  }
  return std::make_unique<TiffRawEndFinder>();
}

}  // namespace

const FormatFamily kTiffRawFamily = {DetectTiffRaw, MakeTiffRawFinder};

}  // namespace orlenta
