// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/volume.h"
#include "posix_volume.h"
#include "sector_layout.h"

namespace orlenta {

// True when `path` ends in a segment number of a split raw image: ".001", ".002", …
bool HasSegmentNumber(const std::string& path);

// The volume of the split raw image whose first segment is `path` ("disc.001"): the plain
// 2,048-byte sectors of its segments ("disc.001", "disc.002", …) read one after another.
// nullopt with `error` cleared when `path` is no segment of a set of two or more (an image
// on its own); nullopt with `error` set when it is one that cannot be read whole: a segment
// is missing, or one before the last is shorter than the first (a gap that would shift
// every byte after it), or `path` is not the first segment.
std::optional<SectorLayout> SplitImageLayout(const std::string& path, VolumeOpenError* error);

// The volume of that split image, its segments opened as SplitImageLayout found them.
std::unique_ptr<Volume> OpenSplitImage(const std::string& path, VolumeOpenError* error);

}  // namespace orlenta
