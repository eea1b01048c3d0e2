// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "image_reading.h"
#include "sector_layout.h"

namespace orlenta {

struct VolumeOpenError;

// What an image file open as `fd` (of `fileBytes` bytes, found at `path`) holds, judged by
// its content and not its name: an Expert Witness evidence set, a cue sheet (its track
// `how.track`, else its first data track), a raw image whose first sectors carry the CD
// sync pattern, or plain 2,048-byte sectors; `how.layout` can force raw or plain. nullopt,
// with `error` set when given, for a source that gives no volume.
std::optional<SectorLayout> ProbeImageLayout(int fd, const std::string& path, uint64_t fileBytes,
                                             const ImageReading& how, VolumeOpenError* error);

}  // namespace orlenta
