// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG: a chain of marker segments; after each start-of-scan segment comes entropy-coded
// data, in which a 0xFF byte is always followed by 0x00 (a stuffed byte), a restart marker
// or the next real marker. The file ends at the end-of-image marker, or after the further
// pictures a multi-picture segment lists. Embedded thumbnails (Exif APP1) lie inside their
// segment, so the walk steps over them whole. Cameras may put a preview picture after the
// end-of-image marker that only their maker notes point at: when the note's entries point
// past the marker at a whole picture of the length they give, the file ends with it. A
// picture straight after the last one that nothing points at is taken in as well, but
// such an end, like one followed by anything but zeros, is not verified.
#include <algorithm>
#include <cstring>
#include <optional>

#include "exif_preview.h"
#include "format_families.h"
#include "record_walk.h"

namespace orlenta {
namespace {

bool IsRestart(uint8_t code) {
  return code >= 0xD0 && code <= 0xD7;
}

// Codes that begin a segment with a length: the frame, table and application markers.
bool HasLength(uint8_t code) {
  return code >= 0xC0 && code <= 0xFE && code != 0xD8 && code != 0xD9 && !IsRestart(code);
}

// More than this after the first picture is taken for a damaged picture list.
constexpr uint64_t kMostFollowingBytes = uint64_t{1} << 28;
// The bytes looked at after the last picture, and the sector size files start on.
constexpr uint32_t kTrailerLook = 16;
constexpr uint64_t kSectorBytes = 2048;

class JpegEndFinder : public RecordWalk {
 public:
  JpegEndFinder() : RecordWalk(ReadAt(0, 2)) {}

 private:
  enum class State : uint8_t {
    kSoi,
    kMarker,
    kCode,
    kLength,
    kEntropy,
    kMpf,
    kExif,
    kNextImage,
    kPreview,
    kAfterImage
  };

  Step Examine(const ByteWindow& w, const Step& step) override {
    const uint64_t pos = step.offset;
    switch (state_) {
      case State::kSoi:
        if (w.At(0)[0] != 0xFF || w.At(0)[1] != 0xD8) return Broken();
        return Marker(2);
      case State::kMarker:
        if (*w.At(pos) != 0xFF) return Broken();
        return Code(pos + 1);
      case State::kCode:
        return AfterCode(pos, *w.At(pos));
      case State::kLength: {
        const uint16_t length = Be16(w.At(pos));
        if (length < 2) return Broken();
        if (code_ == 0xDA) {
          sawScan_ = true;
          state_ = State::kEntropy;
          return ScanFrom(pos + length);
        }
        segmentEnd_ = pos + length;
        if (code_ == 0xE1 && length >= 2 + 14 && !exif_) {
          exif_.emplace(pos + 2, segmentEnd_);
          state_ = State::kExif;
          return ReadAt(exif_->First().offset, exif_->First().length);
        }
        if (code_ == 0xE2 && length > 2 + 16 && !sawImages_) {
          state_ = State::kMpf;
          return ReadAt(pos + 2, std::min<uint32_t>(length - 2, kMaxFinderNeed));
        }
        return Marker(segmentEnd_);
      }
      case State::kEntropy:
        return ScanEntropy(w, pos);
      case State::kMpf:
        ReadImageList(w.At(pos), static_cast<uint32_t>(step.length), pos);
        return Marker(segmentEnd_);
      case State::kExif:
        if (const auto next = exif_->Take(w.At(pos), step.length)) {
          return ReadAt(next->offset, next->length);
        }
        return Marker(segmentEnd_);
      case State::kNextImage:
        // The further pictures must be there: the first starts right where it is said to.
        if (w.At(pos)[0] != 0xFF || w.At(pos)[1] != 0xD8) return EndAt(pos);
        return AfterImages(imagesEnd_);
      case State::kPreview:
        return PreviewStart(w, pos);
      case State::kAfterImage:
        return AfterImage(w.At(pos), pos);
    }
    return Broken();
  }

  Step AfterCode(uint64_t pos, uint8_t code) {
    if (code == 0xFF) return Code(pos + 1);  // fill byte before a marker
    if (inEntropy_ && (code == 0x00 || IsRestart(code))) {
      state_ = State::kEntropy;
      return ScanFrom(pos + 1);
    }
    inEntropy_ = false;
    if (code == 0xD9) return EndOfImage(pos + 1);
    if (IsRestart(code) || code == 0x01) return Marker(pos + 1);
    if (!HasLength(code)) return Broken();
    code_ = code;
    state_ = State::kLength;
    return ReadAt(pos + 1, 2);
  }

  Step EndOfImage(uint64_t end) {
    if (!sawScan_) return Broken();
    if (inPreview_) return PreviewEnded(end);
    if (imagesEnd_ <= end || nextImage_ < end || imagesEnd_ - end > kMostFollowingBytes) {
      if (const std::optional<ExifPreview::Preview> preview = PreviewAfter(end)) {
        mainEnd_ = end;
        state_ = State::kPreview;
        // When it is near, the bytes straight after the picture come along: they are
        // judged as before should the note prove wrong.
        const uint64_t near = std::max<uint64_t>(preview->picture + 3 - end, kTrailerLook);
        if (near <= kMaxFinderNeed) return ReadAt(end, static_cast<uint32_t>(near));
        return ReadAt(preview->picture, 3);
      }
      return AfterImages(end);
    }
    state_ = State::kNextImage;
    return ReadAt(nextImage_, 2);
  }

  // The preview the maker note points at, when it lies after the picture ending at `end`.
  std::optional<ExifPreview::Preview> PreviewAfter(uint64_t end) const {
    if (!exif_ || unlisted_ || !exif_->Found()) return std::nullopt;
    const ExifPreview::Preview& preview = *exif_->Found();
    if (preview.begin < end || preview.picture - end > kMostFollowingBytes) return std::nullopt;
    return preview;
  }

  // Where the maker note points, a picture must begin; then it is walked like the first.
  // Otherwise the note is wrong, or the preview lost: the end is no longer sure.
  Step PreviewStart(const ByteWindow& w, uint64_t pos) {
    const ExifPreview::Preview& preview = *exif_->Found();
    const uint8_t* d = w.At(preview.picture);
    const bool first = d[0] == 0xFF || (d[0] == 0 && preview.zeroFirst);
    if (first && d[1] == 0xD8 && d[2] == 0xFF) {
      inPreview_ = true;
      sawScan_ = false;
      return Marker(preview.picture + 2);
    }
    unlisted_ = true;
    if (pos != mainEnd_) return LikelyEndAt(mainEnd_);
    picturesEnd_ = pos;
    return AfterImage(w.At(pos), pos);
  }

  // The preview's own end marker: the file ends there when that is where the maker note
  // says its bytes end. Otherwise it is a picture nothing rightly points at.
  Step PreviewEnded(uint64_t end) {
    inPreview_ = false;
    if (end == exif_->Found()->end) return EndAt(end);
    unlisted_ = true;
    return AfterImages(end);
  }

  // The pictures end at `end`: look at what follows them.
  Step AfterImages(uint64_t end) {
    state_ = State::kAfterImage;
    picturesEnd_ = end;
    return ReadAt(end, kTrailerLook);
  }

  // Zeros after the last picture: the file ends there. Another picture straight after it
  // (not on a sector's start, where another file would begin) is a preview of the same
  // photo. Anything else leaves the end a guess.
  Step AfterImage(const uint8_t* d, uint64_t pos) {
    if (std::all_of(d, d + kTrailerLook, [](uint8_t b) { return b == 0; })) {
      return unlisted_ ? LikelyEndAt(pos) : EndAt(pos);
    }
    const bool picture = d[0] == 0xFF && d[1] == 0xD8 && d[2] == 0xFF;
    if (!picture || pos % kSectorBytes == 0 || pos > kMostFollowingBytes) return LikelyEndAt(pos);
    unlisted_ = true;
    sawScan_ = false;
    return Marker(pos + 2);
  }

  // The volume ended right after the pictures: so did the file. Not for sure when a maker
  // note points at a preview beyond.
  Step DataEnded(const Step& step) override {
    if (state_ == State::kPreview) return LikelyEndAt(mainEnd_);
    if (state_ != State::kAfterImage || step.offset != picturesEnd_) return Broken();
    return unlisted_ ? LikelyEndAt(picturesEnd_) : EndAt(picturesEnd_);
  }

  // A multi-picture APP2 segment ("MPF"): a TIFF-style directory whose entry 0xB002 lists
  // every picture of the file with its size and its offset from the directory's header.
  // The pictures after the first lie after its end-of-image marker, inside the file.
  void ReadImageList(const uint8_t* d, uint32_t size, uint64_t at) {
    if (size < 16 || std::memcmp(d, "MPF\0", 4) != 0) return;
    const uint8_t* tiff = d + 4;
    const uint32_t tiffSize = size - 4;
    const bool little = std::memcmp(tiff, "II*\0", 4) == 0;
    if (!little && std::memcmp(tiff, "MM\0*", 4) != 0) return;
    auto u16 = [&](uint32_t o) { return little ? Le16(tiff + o) : Be16(tiff + o); };
    auto u32 = [&](uint32_t o) { return little ? Le32(tiff + o) : Be32(tiff + o); };
    const uint32_t ifd = u32(4);
    if (ifd < 8 || ifd > tiffSize - 2) return;
    const uint32_t entries = u16(ifd);
    if (entries > (tiffSize - ifd - 2) / 12) return;
    for (uint32_t i = 0; i < entries; ++i) {
      const uint32_t e = ifd + 2 + 12 * i;
      if (u16(e) != 0xB002) continue;
      const uint32_t count = u32(e + 4);
      const uint32_t list = u32(e + 8);
      if (count % 16 != 0 || list > tiffSize || count > tiffSize - list) return;
      const uint64_t base = at + 4;
      for (uint32_t entry = list; entry < list + count; entry += 16) {
        const uint32_t bytes = u32(entry + 4);
        const uint32_t offset = u32(entry + 8);
        if (offset == 0) continue;  // the first picture, this one
        sawImages_ = true;
        nextImage_ = std::min(nextImage_, base + offset);
        imagesEnd_ = std::max(imagesEnd_, base + offset + bytes);
      }
    }
  }

  // Entropy-coded data: only 0xFF bytes matter, so memchr finds them.
  Step ScanEntropy(const ByteWindow& w, uint64_t pos) {
    const uint64_t end = w.End();
    const auto* p = static_cast<const uint8_t*>(std::memchr(w.At(pos), 0xFF, end - pos));
    if (p == nullptr) return ScanFrom(end);
    inEntropy_ = true;
    return Code(pos + static_cast<uint64_t>(p - w.At(pos)) + 1);
  }

  Step Marker(uint64_t pos) {
    state_ = State::kMarker;
    return ReadAt(pos, 1);
  }
  Step Code(uint64_t pos) {
    state_ = State::kCode;
    return ReadAt(pos, 1);
  }

  State state_ = State::kSoi;
  uint8_t code_ = 0;
  bool inEntropy_ = false;
  bool sawScan_ = false;
  uint64_t segmentEnd_ = 0;
  bool sawImages_ = false;  // a multi-picture list was read
  uint64_t nextImage_ = ~uint64_t{0};
  uint64_t imagesEnd_ = 0;
  uint64_t picturesEnd_ = 0;
  bool unlisted_ = false;            // a picture that nothing listed was taken in
  std::optional<ExifPreview> exif_;  // what the first Exif segment's maker note points at
  bool inPreview_ = false;           // walking the preview it points at
  uint64_t mainEnd_ = 0;             // where the picture before that preview ends
};

// Frame headers (not the reserved 0xC8), tables, restart interval, application segments
// other than APP0 and APP1, comments.
bool CanComeFirst(uint8_t code) {
  const bool frame = code >= 0xC0 && code <= 0xCF && code != 0xC8;
  const bool application = code >= 0xE2 && code <= 0xEF;
  return frame || application || code == 0xDB || code == 0xDD || code == 0xFE;
}

// The first segment of a JPEG that starts with neither APP0 nor APP1: a quantisation or
// Huffman table, another application segment, a comment or a frame header. Its length
// must lead to the next marker when that lies in the sector.
FileKind DetectJpegOther(const uint8_t* d, std::size_t size) {
  if (size < 8 || d[0] != 0xFF || d[1] != 0xD8 || d[2] != 0xFF) return kNoHeader;
  const uint8_t code = d[3];
  if (!CanComeFirst(code)) return kNoHeader;
  const uint16_t length = Be16(d + 4);
  if (length < 3) return kNoHeader;
  if (code == 0xDB && (d[6] & 0xF0) > 0x10) return kNoHeader;  // table precision 0 or 1
  if (code == 0xDB && (d[6] & 0x0F) > 3) return kNoHeader;     // table id 0..3
  if (code == 0xC4 && ((d[6] & 0xF0) > 0x10 || (d[6] & 0x0F) > 3)) return kNoHeader;
  const std::size_t next = 4 + std::size_t{length};
  if (next + 1 >= size) return code >= 0xE2 ? kJpegOther : kNoHeader;
  if (d[next] != 0xFF || !HasLength(d[next + 1]) || d[next + 1] == 0xDA) {
    // A table segment follows a table segment; a scan never comes second.
    return kNoHeader;
  }
  return kJpegOther;
}

std::unique_ptr<EndFinder> MakeJpegFinder(FileKind kind) {
  if (kind != kJpeg && kind != kJpegOther) return nullptr;
  return std::make_unique<JpegEndFinder>();
}

}  // namespace

const FormatFamily kJpegFamily = {DetectJpegOther, MakeJpegFinder};

}  // namespace orlenta
