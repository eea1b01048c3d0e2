// SPDX-License-Identifier: GPL-3.0-or-later
#include "format_registry.h"

#include "format_families.h"

namespace orlenta {
namespace {

// In the order their header tests run; a sector passes at most one of them.
const FormatFamily* const kFamilies[] = {
    &kJpegFamily,      &kPngFamily,         &kGifFamily,     &kRiffFamily, &kBmpFamily,
    &kQuickTimeFamily, &kMpegAudioFamily,   &kAsfFamily,     &kFlacFamily, &kOggFamily,
    &kMatroskaFamily,  &kMpegProgramFamily, &kTiffRawFamily, &kAiffFamily, &kMpegTsFamily,
    &kAdtsFamily,      &kAc3Family,         &kPsdFamily,     &kRafFamily,
};

}  // namespace

FileKind DetectMoreKinds(const uint8_t* sector, std::size_t size) {
  // The described kinds keep their numbers: their test comes first, unchanged.
  if (const FileKind kind = DetectFileKindIn(sector); kind != kNoHeader) return kind;
  for (const FormatFamily* family : kFamilies) {
    if (const FileKind kind = family->detect(sector, size); kind != kNoHeader) return kind;
  }
  return kNoHeader;
}

std::unique_ptr<EndFinder> MakeEndFinder(FileKind kind) {
  for (const FormatFamily* family : kFamilies) {
    if (std::unique_ptr<EndFinder> finder = family->makeFinder(kind)) return finder;
  }
  return nullptr;
}

}  // namespace orlenta
