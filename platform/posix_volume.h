// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/volume.h"
#include "image_reading.h"
#include "sector_layout.h"

namespace orlenta {

// Why a volume could not be opened, for messages that name the problem.
struct VolumeOpenError {
  int errnum = 0;      // from the system, 0 when the reason is ours
  std::string reason;  // e.g. "is a directory"
};

// Opens, read-only, a disc image or a block device such as /dev/sr0 (size and logical sector
// size from the kernel). What an image holds is judged by its content, whatever its name:
// plain 2,048-byte sectors; a raw image (2,352- or 2,448-byte sectors with the CD sync
// pattern), read as the data of its sectors; a cue sheet, read as its track `how.track`, by
// default its first data track; or the first file of an Expert Witness evidence set, read
// as the medium it holds. A tail shorter than a sector is ignored. nullptr when it cannot be
// opened; `error`, when given, says why.
std::unique_ptr<Volume> OpenPosixVolume(const std::string& path, VolumeOpenError* error = nullptr,
                                        const ImageReading& how = {});

// Where the sectors of the volume OpenPosixVolume would open lie, without opening it for
// reading: for reports that name the bytes of the image each recovered file came from.
std::optional<SectorLayout> DescribePosixVolume(const std::string& path,
                                                VolumeOpenError* error = nullptr,
                                                const ImageReading& how = {});

inline constexpr uint32_t kImageSectorSize = 2048;

}  // namespace orlenta
