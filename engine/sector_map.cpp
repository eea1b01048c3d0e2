// SPDX-License-Identifier: GPL-3.0-or-later
#include "sector_map.h"

namespace orlenta {

void SectorMap::Append(SectorState state) {
  if (!runs_.empty() && runs_.back().state == state) {
    ++runs_.back().count;
    return;
  }
  runs_.push_back({Sectors(), 1, state});
}

}  // namespace orlenta
