// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

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

}  // namespace orlenta
