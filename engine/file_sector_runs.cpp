// SPDX-License-Identifier: GPL-3.0-or-later
#include "file_sector_runs.h"

#include <algorithm>

namespace orlenta {

void FileSectorRuns::Start(uint64_t sector, uint32_t bytes) {
  runs_.clear();
  runs_.push_back({sector, 0, bytes});
  nextSector_ = sector + 1;
  length_ = bytes;
}

bool FileSectorRuns::Add(uint32_t bytes) {
  if (bytes != runs_.back().bytesPerSector) {
    if (runs_.size() == kMaxRuns) return false;
    runs_.push_back({nextSector_, length_, bytes});
  }
  ++nextSector_;
  length_ += bytes;
  return true;
}

uint64_t FileSectorRuns::SectorHolding(uint64_t length) const {
  const uint64_t lastByte = length - 1;
  // The last run starting at or before the byte.
  const auto after =
      std::upper_bound(runs_.begin(), runs_.end(), lastByte,
                       [](uint64_t byte, const Run& run) { return byte < run.firstByte; });
  const Run& run = *(after - 1);
  return run.firstSector + (lastByte - run.firstByte) / run.bytesPerSector;
}

}  // namespace orlenta
