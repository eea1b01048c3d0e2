// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace orlenta {

// Where a camera's maker note says its preview picture lies. Some cameras store a large
// preview after the main picture's end-of-image marker, and only an entry of the maker note
// inside the Exif segment points at it. This follows the Exif structure from the segment's
// start, a few small reads at a time and never backwards: the TIFF header, the first
// directory, the Exif directory, the maker note's own header, its directory and the
// directories that one points at. Each maker's layout decides where the maker note's
// directory starts, which byte order it uses and whether its offsets count from the TIFF
// header or from the maker note itself. Anything out of place (an offset outside the
// segment or behind what was read already, too many entries, entries of no known type)
// ends the search with nothing more found.
class ExifPreview {
 public:
  struct Read {
    uint64_t offset = 0;
    uint32_t length = 0;
  };
  // A preview picture as the maker note gives it; offsets count from the file's start.
  struct Preview {
    uint64_t begin = 0;      // where the bytes the entry points at begin
    uint64_t picture = 0;    // where the picture's start-of-image marker lies in them
    uint64_t end = 0;        // where those bytes end
    bool zeroFirst = false;  // the marker's first byte may be written as 0 (one maker's habit)
  };

  // The Exif segment's bytes (after its length field) are [begin, end).
  ExifPreview(uint64_t begin, uint64_t end);

  // The first bytes to read: the segment's identifier and TIFF header.
  Read First() const { return {begin_, 14}; }
  // The bytes of the last read asked for: what to read next, or nothing when the search
  // is over.
  std::optional<Read> Take(const uint8_t* bytes, uint32_t n);
  // The preview lying farthest into the file among those the maker note points at.
  const std::optional<Preview>& Found() const { return found_; }

 private:
  enum class Stage : uint8_t { kHeader, kFirstDirectory, kExifDirectory, kNoteHeader, kNote };
  struct Directory {
    const uint8_t* entries = nullptr;
    uint32_t count = 0;
    bool little = false;
  };

  std::optional<Read> TiffHeader(const uint8_t* d);
  std::optional<Read> FirstDirectory(const Directory& dir);
  std::optional<Read> ExifDirectory(const Directory& dir);
  std::optional<Read> NoteHeader(const uint8_t* d, uint32_t n);
  std::optional<Read> NoteDirectory(const Directory& dir);
  std::optional<Directory> ReadDirectory(const uint8_t* d, uint32_t n, bool little,
                                         bool eitherOrder) const;
  void TakePreviews(const Directory& dir);
  std::optional<Read> ReadDirectoryAt(uint64_t offset, Stage stage);
  std::optional<Read> NextSubDirectory();

  uint64_t begin_;
  uint64_t end_;
  uint64_t lastRead_ = 0;  // reads never go back before this
  Stage stage_ = Stage::kHeader;
  uint64_t tiff_ = 0;  // the TIFF header's place; Exif offsets count from it
  bool little_ = false;
  // The maker note: where it starts, the place its offsets count from, its byte order when its
  // header tells it, and whether its preview entry holds the maker's own header first.
  uint64_t note_ = 0;
  uint64_t base_ = 0;
  std::optional<bool> noteLittle_;
  bool blobPreview_ = false;
  std::array<uint64_t, 4> subDirectories_{};
  uint32_t subDirectoryCount_ = 0;
  uint32_t subDirectoryIndex_ = 0;
  bool inSubDirectory_ = false;
  std::optional<Preview> found_;
};

}  // namespace orlenta
