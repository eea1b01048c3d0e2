// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "file_kind.h"

namespace orlenta {

// Room for every kind a run can tell, the described ten and those of the wider detection;
// index 0 stays unused.
inline constexpr std::size_t kKindSlots = kAllKindCount + 1;

// The state of a recovery run that the scan and the carver share.
struct RunMembers {
  // The sector being processed; the carver leaves it on the last sector read.
  uint64_t CurrentSector = 0;
  // The drive letter of the running recovery.
  char CurrentDriveLetter = 0;
  // Entry k counts the files of kind k written in this run (1..kAllKindCount); 0 at every start.
  std::array<int32_t, kKindSlots> KindCounters{};
};

}  // namespace orlenta
