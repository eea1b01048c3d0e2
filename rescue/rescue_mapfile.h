// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/sector_map.h"

namespace orlenta {

// What a mapfile says of the run besides its sectors.
struct MapfileRun {
  uint64_t sectorCount = 0;  // of the whole volume
  uint32_t sectorSize = 0;
  std::string commandLine;
  std::string startTime;  // "2024-07-14 18:30:00"
};

// `map` as a GNU ddrescue mapfile: comment lines, the current-position line, then one
// "0xPOS 0xSIZE STATUS" line per stretch of the volume's bytes, "+" read, "-" bad, "?" not
// tried (jumped over, or never reached). ddrescue given the same source, an image file and
// this mapfile tries exactly the "-" and "?" areas.
std::string FormatRescueMapfile(const SectorMap& map, const MapfileRun& run);

// The state of each of `sectorCount` sectors as a GNU ddrescue mapfile tells it: "+" read,
// "-" bad; "?" and the areas ddrescue has tried only in large blocks ("*", "/") not yet
// tried one by one. A sector is read only when all its bytes are; sectors past the areas
// listed are not tried. nullopt when `text` is not a mapfile.
std::optional<std::vector<SectorState>> ParseRescueMapfile(const std::string& text,
                                                           uint64_t sectorCount,
                                                           uint32_t sectorSize);

}  // namespace orlenta
