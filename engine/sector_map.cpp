// SPDX-License-Identifier: GPL-3.0-or-later
#include "sector_map.h"

namespace orlenta {

void SectorMap::Append(SectorState state, uint64_t count) {
  if (count == 0) return;
  if (!runs_.empty() && runs_.back().state == state) {
    runs_.back().count += count;
    return;
  }
  runs_.push_back({Sectors(), count, state});
}

}  // namespace orlenta
