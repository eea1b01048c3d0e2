// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "drive_map.h"

namespace orlenta {

// Where the drives of this machine are looked for.
struct DriveDiscoveryPaths {
  std::string driveMapFile;  // the user's drive map; a missing file names no drive
  std::string sysBlockRoot = "/sys/class/block";
  std::string devRoot = "/dev";
};

// The drives to list, letter by letter: first the letters the drive map names, then every
// optical drive the kernel reports (one not named in the map already) on the first free
// letters from D on, all within B..M. A drive is kept only when its volume can be opened
// for reading.
DriveMap DiscoverDrives(const DriveDiscoveryPaths& paths);

// The drive map file in the settings folder.
std::string DefaultDriveMapFile();

}  // namespace orlenta
