// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

#include "file_kind.h"

namespace orlenta {

// The state of a recovery run that the scan and the carver share.
struct RunMembers {
  // The sector being processed; the carver leaves it on the last sector it read.
  uint32_t CurrentSector = 0;
  // The drive letter of the running recovery.
  char CurrentDriveLetter = 0;
  // Entry k counts the files of kind k written in this run (1..kAllKindCount); 0 at every start.
  std::array<int32_t, kAllKindCount + 1> KindCounters{};
};

}  // namespace orlenta
