// SPDX-License-Identifier: GPL-3.0-or-later
#include "exif_preview.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "byte_window.h"
#include "format_family.h"

namespace orlenta {
namespace {

constexpr uint16_t kExifDirectoryTag = 0x8769;
constexpr uint16_t kMakerNoteTag = 0x927C;
constexpr uint32_t kEntryBytes = 12;
// More entries than one read holds are taken for damage.
constexpr uint32_t kMostEntries = (kMaxFinderNeed - 2) / kEntryBytes;
// Enough of a maker note to tell its layout.
constexpr uint32_t kNoteHeaderBytes = 18;
// The bytes of the maker's own that one maker puts before its preview picture.
constexpr uint32_t kBlobHeaderBytes = 32;
constexpr uint16_t kBlobPreviewTag = 0x2001;

enum Type : uint16_t { kShort = 3, kLong = 4, kUndefined = 7, kIfd = 13 };

// The (start, length) entry pairs makers give their preview picture: older and newer
// directories of one maker, another's camera settings directory, the preview directory
// of a third, and the main directories of several more.
struct PreviewPair {
  uint16_t start;
  uint16_t length;
};
constexpr PreviewPair kPreviewPairs[] = {
    {0x0088, 0x0089}, {0x0101, 0x0102}, {0x1036, 0x1037}, {0x0004, 0x0003}, {0x0201, 0x0202}};

constexpr int kTiffBase = -1;
constexpr int kNoOrder = -1;

// How a maker note begins: its header, where its directory starts, where its offsets
// count from (the TIFF header, or a place in the note), where its header says the byte
// order, and whether it holds a TIFF header of its own (whose directory offset then says
// where the directory starts).
struct NoteLayout {
  std::string_view prefix;
  uint32_t directory;
  int base;
  int order;
  bool ownTiff = false;
  bool blobPreview = false;
};
using namespace std::string_view_literals;
constexpr NoteLayout kLayouts[] = {
    {"Nikon\0\x02"sv, 0, 10, 10, true},
    {"OLYMPUS\0"sv, 12, 0, 8},
    {"OM SYSTEM\0"sv, 16, 0, 12},
    {"PENTAX \0"sv, 10, 0, 8},
    {"AOC\0"sv, 6, kTiffBase, 4},
    {"OLYMP\0"sv, 8, kTiffBase, kNoOrder},
    {"EPSON\0"sv, 8, kTiffBase, kNoOrder},
    {"MINOL\0"sv, 8, kTiffBase, kNoOrder},
    {"CAMER\0"sv, 8, kTiffBase, kNoOrder},
    {"SANYO\0"sv, 8, kTiffBase, kNoOrder},
    {"QVC\0"sv, 6, kTiffBase, kNoOrder},
    {"DCI\0"sv, 6, kTiffBase, kNoOrder},
    {"Panasonic\0\0\0"sv, 12, kTiffBase, kNoOrder},
    {"SONY DSC \0\0\0"sv, 12, kTiffBase, kNoOrder, false, true},
    {"SONY CAM \0\0\0"sv, 12, kTiffBase, kNoOrder, false, true},
};
// No header: the directory starts the note, its offsets count from the TIFF header.
constexpr NoteLayout kBareLayout = {""sv, 0, kTiffBase, kNoOrder};

uint16_t U16(const uint8_t* p, bool little) {
  return little ? Le16(p) : Be16(p);
}
uint32_t U32(const uint8_t* p, bool little) {
  return little ? Le32(p) : Be32(p);
}

// "II" or "MM" at p: the byte order it names.
std::optional<bool> ByteOrder(const uint8_t* p) {
  if (p[0] == 'I' && p[1] == 'I') return true;
  if (p[0] == 'M' && p[1] == 'M') return false;
  return std::nullopt;
}

const NoteLayout& LayoutOf(const uint8_t* d, uint32_t n) {
  for (const NoteLayout& layout : kLayouts) {
    if (n >= layout.prefix.size() &&
        std::memcmp(d, layout.prefix.data(), layout.prefix.size()) == 0) {
      return layout;
    }
  }
  return kBareLayout;
}

}  // namespace

ExifPreview::ExifPreview(uint64_t begin, uint64_t end)
    : begin_(begin), end_(end), lastRead_(begin) {}

std::optional<ExifPreview::Read> ExifPreview::Take(const uint8_t* bytes, uint32_t n) {
  switch (stage_) {
    case Stage::kHeader:
      return TiffHeader(bytes);
    case Stage::kFirstDirectory:
      if (const auto dir = ReadDirectory(bytes, n, little_, false)) return FirstDirectory(*dir);
      return std::nullopt;
    case Stage::kExifDirectory:
      if (const auto dir = ReadDirectory(bytes, n, little_, false)) return ExifDirectory(*dir);
      return std::nullopt;
    case Stage::kNoteHeader:
      return NoteHeader(bytes, n);
    case Stage::kNote:
      if (const auto dir = ReadDirectory(bytes, n, noteLittle_.value_or(little_), !noteLittle_)) {
        return NoteDirectory(*dir);
      }
      return inSubDirectory_ ? NextSubDirectory() : std::nullopt;
  }
  return std::nullopt;
}

std::optional<ExifPreview::Read> ExifPreview::TiffHeader(const uint8_t* d) {
  if (std::memcmp(d, "Exif\0\0", 6) != 0) return std::nullopt;
  const uint8_t* tiff = d + 6;
  const std::optional<bool> little = ByteOrder(tiff);
  if (!little || U16(tiff + 2, *little) != 42) return std::nullopt;
  little_ = *little;
  tiff_ = begin_ + 6;
  return ReadDirectoryAt(tiff_ + U32(tiff + 4, little_), Stage::kFirstDirectory);
}

// A directory's entry count and entries, in the byte order given or, when the maker's
// layout does not tell it, in whichever order makes them a directory.
std::optional<ExifPreview::Directory> ExifPreview::ReadDirectory(const uint8_t* d, uint32_t n,
                                                                 bool little,
                                                                 bool eitherOrder) const {
  for (const bool order : {little, !little}) {
    if (order != little && !eitherOrder) break;
    const uint32_t count = U16(d, order);
    if (count == 0 || count > kMostEntries || 2 + kEntryBytes * count > n) continue;
    const uint8_t* entries = d + 2;
    bool typed = true;
    for (uint32_t i = 0; i < count && typed; ++i) {
      const uint16_t type = U16(entries + kEntryBytes * i + 2, order);
      typed = type >= 1 && type <= kIfd;
    }
    if (typed) return Directory{entries, count, order};
  }
  return std::nullopt;
}

namespace {

// The value of a directory's entry `tag` when it is one short or long number.
std::optional<uint32_t> NumberOf(const uint8_t* entries, uint32_t count, bool little,
                                 uint16_t tag) {
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* e = entries + kEntryBytes * i;
    if (U16(e, little) != tag || U32(e + 4, little) != 1) continue;
    const uint16_t type = U16(e + 2, little);
    if (type == kShort) return U16(e + 8, little);
    if (type == kLong || type == kIfd) return U32(e + 8, little);
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::optional<ExifPreview::Read> ExifPreview::FirstDirectory(const Directory& dir) {
  const auto exif = NumberOf(dir.entries, dir.count, dir.little, kExifDirectoryTag);
  if (!exif) return std::nullopt;
  return ReadDirectoryAt(tiff_ + *exif, Stage::kExifDirectory);
}

std::optional<ExifPreview::Read> ExifPreview::ExifDirectory(const Directory& dir) {
  for (uint32_t i = 0; i < dir.count; ++i) {
    const uint8_t* e = dir.entries + kEntryBytes * i;
    if (U16(e, dir.little) != kMakerNoteTag || U16(e + 2, dir.little) != kUndefined) continue;
    const uint32_t size = U32(e + 4, dir.little);
    note_ = tiff_ + U32(e + 8, dir.little);
    if (size < 6 || note_ < lastRead_ || note_ + size > end_) return std::nullopt;
    stage_ = Stage::kNoteHeader;
    lastRead_ = note_;
    return Read{note_, std::min(size, kNoteHeaderBytes)};
  }
  return std::nullopt;
}

std::optional<ExifPreview::Read> ExifPreview::NoteHeader(const uint8_t* d, uint32_t n) {
  const NoteLayout& layout = LayoutOf(d, n);
  base_ = layout.base == kTiffBase ? tiff_ : note_ + static_cast<uint32_t>(layout.base);
  if (layout.order != kNoOrder) {
    if (n < static_cast<uint32_t>(layout.order) + 2) return std::nullopt;
    noteLittle_ = ByteOrder(d + layout.order);  // AOC\0 may leave it blank
  }
  blobPreview_ = layout.blobPreview;
  uint64_t directory = note_ + layout.directory;
  if (layout.ownTiff) {
    if (n < kNoteHeaderBytes || !noteLittle_) return std::nullopt;
    directory = base_ + U32(d + layout.base + 4, *noteLittle_);
  }
  return ReadDirectoryAt(directory, Stage::kNote);
}

std::optional<ExifPreview::Read> ExifPreview::NoteDirectory(const Directory& dir) {
  if (!inSubDirectory_) {
    noteLittle_ = dir.little;  // the directories it points at use its order
    for (uint32_t i = 0; i < dir.count && subDirectoryCount_ < subDirectories_.size(); ++i) {
      const uint8_t* e = dir.entries + kEntryBytes * i;
      const uint16_t tag = U16(e, dir.little);
      const uint16_t type = U16(e + 2, dir.little);
      const uint32_t count = U32(e + 4, dir.little);
      // A directory entry; one maker's settings directories (also as a long or as bytes);
      // another's preview directory.
      const bool settings = tag >= 0x2010 && tag <= 0x2050 &&
                            ((type == kLong && count == 1) || (type == kUndefined && count > 4));
      const bool preview = tag == 0x0011 && type == kLong && count == 1;
      if ((type == kIfd && count == 1) || settings || preview) {
        subDirectories_[subDirectoryCount_++] = base_ + U32(e + 8, dir.little);
      }
    }
    std::sort(subDirectories_.begin(), subDirectories_.begin() + subDirectoryCount_);
  }
  TakePreviews(dir);
  return NextSubDirectory();
}

void ExifPreview::TakePreviews(const Directory& dir) {
  auto keep = [&](const Preview& p) {
    if (p.end > kLargestFile || p.end < p.picture + 4) return;
    if (!found_ || p.begin > found_->begin) found_ = p;
  };
  for (const PreviewPair& pair : kPreviewPairs) {
    const auto start = NumberOf(dir.entries, dir.count, dir.little, pair.start);
    const auto length = NumberOf(dir.entries, dir.count, dir.little, pair.length);
    if (!start || !length || *start == 0) continue;
    const uint64_t at = base_ + *start;
    keep({at, at, at + *length, false});
  }
  if (!blobPreview_) return;
  for (uint32_t i = 0; i < dir.count; ++i) {
    const uint8_t* e = dir.entries + kEntryBytes * i;
    if (U16(e, dir.little) != kBlobPreviewTag || U16(e + 2, dir.little) != kUndefined) continue;
    const uint32_t size = U32(e + 4, dir.little);
    const uint64_t at = base_ + U32(e + 8, dir.little);
    if (size > kBlobHeaderBytes) keep({at, at + kBlobHeaderBytes, at + size, true});
  }
}

std::optional<ExifPreview::Read> ExifPreview::NextSubDirectory() {
  while (subDirectoryIndex_ < subDirectoryCount_) {
    const uint64_t at = subDirectories_[subDirectoryIndex_++];
    if (const auto read = ReadDirectoryAt(at, Stage::kNote)) {
      inSubDirectory_ = true;
      return read;
    }
  }
  return std::nullopt;
}

// A directory's bytes, when they lie in the segment at or after what was read already.
std::optional<ExifPreview::Read> ExifPreview::ReadDirectoryAt(uint64_t offset, Stage stage) {
  if (offset < lastRead_ || offset >= end_ || end_ - offset < 2) return std::nullopt;
  stage_ = stage;
  lastRead_ = offset;
  return Read{offset, static_cast<uint32_t>(std::min<uint64_t>(end_ - offset, kMaxFinderNeed))};
}

}  // namespace orlenta
