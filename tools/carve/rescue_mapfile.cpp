// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_mapfile.h"

#include <cinttypes>
#include <cstdio>

namespace orlenta {
namespace {

char StatusOf(SectorState state) {
  switch (state) {
    case SectorState::kRead:
      return '+';
    case SectorState::kBad:
      return '-';
    case SectorState::kSkipped:
      break;
  }
  return '?';
}

std::string Line(uint64_t first, uint64_t count, uint32_t sectorSize, char status) {
  char text[64];
  std::snprintf(text, sizeof text, "0x%08" PRIX64 "  0x%08" PRIX64 "  %c\n", first * sectorSize,
                count * sectorSize, status);
  return text;
}

}  // namespace

std::string FormatRescueMapfile(const SectorMap& map, const MapfileRun& run) {
  const uint64_t reached = map.Sectors();
  const bool finished = reached >= run.sectorCount;
  std::string text = "# Mapfile. Created by orlenta-carve\n";
  text += "# Command line: " + run.commandLine + "\n";
  text += "# Start time:   " + run.startTime + "\n";
  if (finished) text += "# Finished\n";
  text += "# current_pos  current_status  current_pass\n";
  char position[64];
  std::snprintf(position, sizeof position, "0x%08" PRIX64 "     %c               1\n",
                (finished ? 0 : reached) * run.sectorSize, finished ? '+' : '?');
  text += position;
  text += "#      pos        size  status\n";
  for (const SectorMap::Run& stretch : map.Runs()) {
    text += Line(stretch.first, stretch.count, run.sectorSize, StatusOf(stretch.state));
  }
  if (!finished) text += Line(reached, run.sectorCount - reached, run.sectorSize, '?');
  return text;
}

}  // namespace orlenta
