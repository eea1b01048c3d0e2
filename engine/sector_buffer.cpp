// SPDX-License-Identifier: GPL-3.0-or-later
#include "sector_buffer.h"

namespace orlenta {

alignas(4096) std::array<uint8_t, kSectorBufferSize> SectorBuffer{};
DriveGeometryValues DriveGeometry{};
uint64_t TotalSectors = 0;
bool StopFlag = false;

int ProgressPercent(uint64_t sector, uint64_t total) {
  if (total == 0) return 0;
  return static_cast<int>(sector * 100 / total);
}

}  // namespace orlenta
