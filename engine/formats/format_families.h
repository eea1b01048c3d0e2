// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/file_kind.h"
#include "format_family.h"

namespace orlenta {

// What one format family knows: a header test for the kinds that only the wider detection
// recognises, and the end finder of every kind of the family. Each family lives in one
// file; format_registry.cpp lists them.
struct FormatFamily {
  // The family's new kind that `sector` (`size` bytes) starts, or kNoHeader.
  FileKind (*detect)(const uint8_t* sector, std::size_t size);
  // A fresh end finder when `kind` is one of the family's, else nullptr.
  std::unique_ptr<EndFinder> (*makeFinder)(FileKind kind);
};

extern const FormatFamily kJpegFamily;
extern const FormatFamily kPngFamily;
extern const FormatFamily kGifFamily;
extern const FormatFamily kRiffFamily;
extern const FormatFamily kBmpFamily;
extern const FormatFamily kQuickTimeFamily;
extern const FormatFamily kMpegAudioFamily;
extern const FormatFamily kMpegProgramFamily;
extern const FormatFamily kAsfFamily;
extern const FormatFamily kFlacFamily;
extern const FormatFamily kOggFamily;
extern const FormatFamily kMatroskaFamily;
extern const FormatFamily kTiffRawFamily;
extern const FormatFamily kAiffFamily;
extern const FormatFamily kMpegTsFamily;
extern const FormatFamily kAdtsFamily;
extern const FormatFamily kAc3Family;
extern const FormatFamily kPsdFamily;
extern const FormatFamily kRafFamily;

}  // namespace orlenta
