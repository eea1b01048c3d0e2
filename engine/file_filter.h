// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "file_kind.h"
#include "run_members.h"

namespace orlenta {

// Which of the files a scan finds are written. A file left out is still carved as it would
// be (its header ends the file before it; with structures followed, its own end tells where
// the scan goes on), so the files that are written are the same as without a filter; only
// its bytes go nowhere. With no condition set, every file is written.
class FileFilter {
 public:
  // Only kinds whose family is one of `families` ("jpeg" covers every JPEG kind; a kind's
  // extension names it too: "wav", "mov"), in any case. Returns the first family that names
  // no kind ("" when each names one); the filter is then unchanged.
  std::string KeepFamilies(const std::vector<std::string>& families);
  // Only files of at least `bytes` bytes; told once a file has ended.
  void KeepFilesFrom(uint64_t bytes) { minBytes_ = bytes; }
  // Only pictures at least `width` × `height` pixels, when their header says; a picture whose
  // header does not tell its size, and every file that is not a picture, is kept.
  void KeepPicturesFrom(uint32_t width, uint32_t height);

  // Whether a file of `kind` whose first sector holds `header` is written.
  bool KeepsAtStart(FileKind kind, std::span<const uint8_t> header) const;
  // Whether a written file of `bytes` bytes is kept once it has ended.
  bool KeepsAtEnd(uint64_t bytes) const { return bytes >= minBytes_; }
  bool TellsAtEnd() const { return minBytes_ > 0; }

 private:
  std::array<bool, kKindSlots> kinds_ = AllKinds();
  uint64_t minBytes_ = 0;
  uint32_t minWidth_ = 0;
  uint32_t minHeight_ = 0;

  static std::array<bool, kKindSlots> AllKinds();
};

// Whether `family` (lower case) names `kind`: the first word of the kind's name ("jpeg" for
// "JPEG (other)", "mpeg" for "MPEG-2 / VOB", "gif" for "GIF87a") or its extension.
bool FamilyNamesKind(const std::string& family, int kind);

}  // namespace orlenta
