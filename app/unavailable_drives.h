// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

#include "platform/drive_map.h"

namespace orlenta {

// The drives the drive map file at `driveMapFile` names that are not among the drives
// found (`found`) because their image or device cannot be opened for reading (an image
// deleted or moved since it was mapped): letter to path. The window keeps them in its
// tree, so that a drive never vanishes without a word.
std::map<char, std::string> UnavailableMappedDrives(const std::string& driveMapFile,
                                                    const DriveMap& found);

}  // namespace orlenta
