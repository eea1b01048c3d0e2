// SPDX-License-Identifier: GPL-3.0-or-later
#include "unavailable_drives.h"

#include "platform/drive_map_file.h"

namespace orlenta {

std::map<char, std::string> UnavailableMappedDrives(const std::string& driveMapFile,
                                                    const DriveMap& found) {
  std::map<char, std::string> unavailable;
  const auto mapped = LoadDriveMapFile(driveMapFile);
  if (!mapped) return unavailable;
  for (const auto& [letter, path] : *mapped) {
    if (found.Paths().count(letter) == 0) unavailable[letter] = path;
  }
  return unavailable;
}

}  // namespace orlenta
