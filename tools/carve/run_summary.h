// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_kind.h"

namespace orlenta {

// What the command line tells at the end of a run.
struct RunSummary {
  // Files written whole, per kind.
  std::array<uint64_t, kFileKindCount + 1> filesPerKind{};
  // Files started whose writing failed part-way (a full disk), by path.
  std::vector<std::string> incompleteFiles;
  // Headers whose file could not be created at all.
  uint64_t filesNotCreated = 0;
  uint64_t sectorsScanned = 0;
  uint64_t sectorsTotal = 0;
  uint64_t sectorsUnreadable = 0;
  uint64_t sectorsSkipped = 0;  // jumped over in bad zones, never tried
  uint32_t sectorSize = 0;
  double elapsedSeconds = 0;
};

// Several lines, each ending in '\n': files written whole per kind (kinds with none left
// out), the incomplete files by name and the files not created (when there are any),
// sectors scanned and unreadable, elapsed time and throughput.
std::string FormatSummary(const RunSummary& summary);

}  // namespace orlenta
