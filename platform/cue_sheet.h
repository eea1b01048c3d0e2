// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "raw_sectors.h"
#include "sector_layout.h"

namespace orlenta {

// Cue sheets are small text files; anything larger is not taken for one.
inline constexpr std::size_t kLargestCueSheet = std::size_t{1} << 20;

// True when `text` reads as a cue sheet: text without NUL bytes, with a FILE line and a
// TRACK line. Judged by content, whatever the file is called.
bool LooksLikeCueSheet(std::string_view text);

// Why a cue sheet gives no volume.
struct CueSheetError {
  int errnum = 0;  // from the system when the data file cannot be opened, else 0
  std::string reason;
};

// The layout of a track of the cue sheet `text` found at `cuePath`: `track` when given, else
// the first data track. Data file names are taken relative to the cue sheet's folder.
// nullopt, with `error` set, when there is no such track, it holds no data we can read, or
// its data file cannot be opened.
std::optional<SectorLayout> CueSheetLayout(const std::string& cuePath, const std::string& text,
                                           std::optional<int> track, CueSheetError& error);

}  // namespace orlenta
