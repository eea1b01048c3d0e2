// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace orlenta {

// How a reader crosses a zone of bad sectors when asked to skip it, as rescue tools do:
// after kFailuresBeforeJump unreadable sectors in a row it jumps ahead, the jump doubling
// while the reads after each jump keep failing, and it goes back to reading sector by sector
// at the first good read. What it jumps over is never tried. Off, every sector is tried.
class BadZoneSkipper {
 public:
  static constexpr uint64_t kFailuresBeforeJump = 8;
  static constexpr uint64_t kFirstJump = 8;

  void Enable(bool on) { enabled_ = on; }
  void Reset();

  // True when `sector` lies in a stretch being jumped over.
  bool Skips(uint64_t sector) const { return enabled_ && sector < skipUntil_; }

  void ReadFailed(uint64_t sector);
  void ReadSucceeded();

 private:
  bool enabled_ = false;
  uint64_t failuresInARow_ = 0;
  uint64_t jump_ = kFirstJump;
  uint64_t skipUntil_ = 0;
};

}  // namespace orlenta
