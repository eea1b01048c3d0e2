// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_layout.h"

#include "cue_sheet.h"
#include "posix_volume.h"
#include "raw_sectors.h"
#include "read_fully.h"

namespace orlenta {
namespace {

// The whole text of a file small enough to be a cue sheet; nullopt otherwise.
std::optional<std::string> SmallFileText(int fd, uint64_t fileBytes) {
  if (fileBytes == 0 || fileBytes > kLargestCueSheet) return std::nullopt;
  std::string text(fileBytes, '\0');
  if (ReadFully(fd, 0, {reinterpret_cast<uint8_t*>(text.data()), text.size()}) != text.size()) {
    return std::nullopt;
  }
  return text;
}

}  // namespace

std::optional<SectorLayout> ProbeImageLayout(int fd, const std::string& path, uint64_t fileBytes,
                                             std::optional<int> track, VolumeOpenError* error) {
  if (const auto text = SmallFileText(fd, fileBytes); text && LooksLikeCueSheet(*text)) {
    CueSheetError why;
    auto layout = CueSheetLayout(path, *text, track, why);
    if (!layout && error) *error = {why.errnum, why.reason};
    return layout;
  }
  const ImageReader read = [fd](uint64_t offset, std::span<uint8_t> into) {
    return ReadFully(fd, offset, into) == into.size();
  };
  SectorLayout layout;
  if (const auto raw = DetectRawImage(read, fileBytes)) layout = *raw;
  if (layout.rawMode == RawMode::kNone) layout.sectorCount = fileBytes / layout.sectorSize;
  layout.dataPath = path;
  return layout;
}

}  // namespace orlenta
