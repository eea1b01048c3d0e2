// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_mapfile.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <sstream>

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

// One "0xPOS 0xSIZE STATUS" line; false when the line is not one.
bool ParseArea(const std::string& line, uint64_t& position, uint64_t& size, char& status) {
  std::istringstream words(line);
  std::string pos;
  std::string length;
  std::string state;
  if (!(words >> pos >> length >> state) || state.size() != 1) return false;
  try {
    std::size_t used = 0;
    position = std::stoull(pos, &used, 0);
    if (used != pos.size()) return false;
    size = std::stoull(length, &used, 0);
    if (used != length.size()) return false;
  } catch (const std::exception&) {
    return false;
  }
  status = state[0];
  return std::string("?*/-+").find(status) != std::string::npos;
}

}  // namespace

std::optional<std::vector<SectorState>> ParseRescueMapfile(const std::string& text,
                                                           uint64_t sectorCount,
                                                           uint32_t sectorSize) {
  std::vector<SectorState> states(sectorCount, SectorState::kSkipped);
  std::istringstream lines(text);
  std::string line;
  bool positionSeen = false;
  uint64_t expected = 0;  // areas follow one another from byte 0
  const uint64_t volumeBytes = sectorCount * sectorSize;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (!positionSeen) {  // the current position line comes first
      positionSeen = true;
      continue;
    }
    uint64_t position = 0;
    uint64_t size = 0;
    char status = 0;
    if (!ParseArea(line, position, size, status) || position != expected) return std::nullopt;
    expected = position + size;
    const uint64_t end = std::min(expected, volumeBytes);
    if (position >= end) continue;
    if (status == '+') {
      // Only the sectors all of whose bytes lie in the area.
      for (uint64_t s = (position + sectorSize - 1) / sectorSize; s < end / sectorSize; ++s) {
        states[s] = SectorState::kRead;
      }
    } else if (status == '-') {
      for (uint64_t s = position / sectorSize; s < (end + sectorSize - 1) / sectorSize; ++s) {
        states[s] = SectorState::kBad;
      }
    } else {
      for (uint64_t s = position / sectorSize; s < (end + sectorSize - 1) / sectorSize; ++s) {
        states[s] = SectorState::kSkipped;
      }
    }
  }
  if (!positionSeen) return std::nullopt;
  return states;
}

std::string FormatRescueMapfile(const SectorMap& map, const MapfileRun& run) {
  const uint64_t reached = map.Sectors();
  // Finished only when every sector was tried: a rescue tool goes on where areas were not.
  const bool finished =
      reached >= run.sectorCount &&
      std::none_of(map.Runs().begin(), map.Runs().end(), [](const SectorMap::Run& stretch) {
        return stretch.state == SectorState::kSkipped;
      });
  std::string text = "# Mapfile. Created by orlenta-carve\n";
  text += "# Command line: " + run.commandLine + "\n";
  text += "# Start time:   " + run.startTime + "\n";
  if (finished) text += "# Finished\n";
  text += "# current_pos  current_status  current_pass\n";
  // Where a rescue tool would go on: the first sector not tried.
  uint64_t next = reached;
  for (const SectorMap::Run& stretch : map.Runs()) {
    if (stretch.state == SectorState::kSkipped) {
      next = stretch.first;
      break;
    }
  }
  char position[64];
  std::snprintf(position, sizeof position, "0x%08" PRIX64 "     %c               1\n",
                (finished ? 0 : next) * run.sectorSize, finished ? '+' : '?');
  text += position;
  text += "#      pos        size  status\n";
  for (const SectorMap::Run& stretch : map.Runs()) {
    text += Line(stretch.first, stretch.count, run.sectorSize, StatusOf(stretch.state));
  }
  if (reached < run.sectorCount) {
    text += Line(reached, run.sectorCount - reached, run.sectorSize, '?');
  }
  return text;
}

}  // namespace orlenta
