// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "sector_layout.h"

namespace orlenta {

struct VolumeOpenError;

// What an image file open as `fd` (of `fileBytes` bytes, found at `path`) holds, judged by
// its content and not its name: a cue sheet (its track `track`, else its first data track),
// a raw image whose sectors carry the CD sync pattern, or plain 2,048-byte sectors.
// nullopt, with `error` set when given, for a cue sheet that gives no volume.
std::optional<SectorLayout> ProbeImageLayout(int fd, const std::string& path, uint64_t fileBytes,
                                             std::optional<int> track, VolumeOpenError* error);

}  // namespace orlenta
