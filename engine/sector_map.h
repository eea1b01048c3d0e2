// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

namespace orlenta {

// What became of a sector of the volume in a run.
enum class SectorState : uint8_t {
  kRead,     // its bytes were read
  kBad,      // tried, and it could not be read
  kSkipped,  // jumped over in a bad zone, never tried
};

// The states of the sectors a run has reached, from sector 0 on, as runs of one state: what
// a rescue tool needs to know which areas remain to be tried.
class SectorMap {
 public:
  struct Run {
    uint64_t first = 0;
    uint64_t count = 0;
    SectorState state = SectorState::kRead;
  };

  void Clear() { runs_.clear(); }
  // Notes the state of the next `count` sectors, those after the ones noted so far.
  void Append(SectorState state, uint64_t count = 1);
  // The sectors noted so far: sectors 0 to this number minus one.
  uint64_t Sectors() const { return runs_.empty() ? 0 : runs_.back().first + runs_.back().count; }
  const std::vector<Run>& Runs() const { return runs_; }

 private:
  std::vector<Run> runs_;
};

}  // namespace orlenta
