// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/volume.h"
#include "posix_volume.h"
#include "sector_layout.h"

namespace orlenta {

// True when the file open as `fd` begins as a segment of an Expert Witness evidence set
// (E01 or Ex01).
bool IsExpertWitnessFile(int fd);

// The medium held by the evidence set whose first segment is `path`: its sector size and
// count as the set records them, and the hashes its maker stored. nullopt, with `error` set
// when given, when the set cannot be read (a segment missing, `path` not the first one).
std::optional<SectorLayout> ExpertWitnessLayout(const std::string& path, VolumeOpenError* error);

// The medium of that evidence set, all its segments found from the first. The sectors the
// set records as unreadable when it was made, and those whose stored checksum fails, are
// read as failures, as a drive's bad sectors are.
std::unique_ptr<Volume> OpenExpertWitness(const std::string& path, VolumeOpenError* error);

}  // namespace orlenta
