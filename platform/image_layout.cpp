// SPDX-License-Identifier: GPL-3.0-or-later
#include "image_layout.h"

#include "cue_sheet.h"
#include "ewf_volume.h"
#include "posix_volume.h"
#include "raw_sectors.h"
#include "read_fully.h"
#include "split_image.h"

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

std::optional<SectorLayout> Refuse(VolumeOpenError* error, std::string reason) {
  if (error) *error = {0, std::move(reason)};
  return std::nullopt;
}

std::optional<SectorLayout> SectorsOfImage(int fd, uint64_t fileBytes, LayoutChoice choice,
                                           VolumeOpenError* error) {
  const ImageReader read = [fd](uint64_t offset, std::span<uint8_t> into) {
    return ReadFully(fd, offset, into) == into.size();
  };
  RawImage image;
  if (choice != LayoutChoice::kPlain) {
    image = JudgeRawImage(read, fileBytes, choice == LayoutChoice::kRaw);
  }
  if (image.verdict == RawVerdict::kUnknownFraming) {
    return Refuse(error, "begins with raw CD sectors of " + std::to_string(image.layout.stride) +
                             " bytes, a size that cannot be read (2,352 and 2,448 can); "
                             "--layout plain reads it as plain 2,048-byte sectors");
  }
  if (image.verdict == RawVerdict::kPlain) image.layout.sectorCount = fileBytes / kForm1Bytes;
  return image.layout;
}

}  // namespace

std::optional<SectorLayout> ProbeImageLayout(int fd, const std::string& path, uint64_t fileBytes,
                                             const ImageReading& how, VolumeOpenError* error) {
  if (IsExpertWitnessFile(fd)) return ExpertWitnessLayout(path, error);
  if (HasSegmentNumber(path)) {
    VolumeOpenError why;
    if (auto split = SplitImageLayout(path, &why)) {
      if (how.layout == LayoutChoice::kRaw) {
        return Refuse(error, "is a split image, read as plain 2,048-byte sectors only");
      }
      return split;
    }
    if (!why.reason.empty()) {
      if (error) *error = why;
      return std::nullopt;
    }
  }
  if (const auto text = SmallFileText(fd, fileBytes); text && LooksLikeCueSheet(*text)) {
    CueSheetError why;
    auto layout = CueSheetLayout(path, *text, how.track, why);
    if (!layout && error) *error = {why.errnum, why.reason};
    return layout;
  }
  auto layout = SectorsOfImage(fd, fileBytes, how.layout, error);
  if (layout) layout->dataPath = path;
  return layout;
}

}  // namespace orlenta
