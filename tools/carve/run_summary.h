// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_kind.h"
#include "engine/run_members.h"

namespace orlenta {

// What the command line tells at the end of a run.
struct RunSummary {
  std::array<uint64_t, kKindSlots> filesPerKind{};
  // When files were cut at the ends their structures tell: how many per kind were, and the
  // files whose end could not be verified.
  bool endsFollowed = false;
  std::array<uint64_t, kKindSlots> verifiedPerKind{};
  std::vector<std::string> unverifiedFiles;
  uint64_t sectorsScanned = 0;
  uint64_t sectorsTotal = 0;
  uint64_t sectorsUnreadable = 0;
  uint32_t sectorSize = 0;
  double elapsedSeconds = 0;
};

// Several lines, each ending in '\n': files per kind (kinds with none left out; with the
// verified ends when ends were followed, then every file whose end was not verified),
// sectors scanned and unreadable, elapsed time and throughput.
std::string FormatSummary(const RunSummary& summary);

}  // namespace orlenta
