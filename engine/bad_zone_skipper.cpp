// SPDX-License-Identifier: GPL-3.0-or-later
#include "bad_zone_skipper.h"

namespace orlenta {

void BadZoneSkipper::Reset() {
  failuresInARow_ = 0;
  jump_ = kFirstJump;
  skipUntil_ = 0;
}

void BadZoneSkipper::ReadFailed(uint64_t sector) {
  if (!enabled_ || ++failuresInARow_ < kFailuresBeforeJump) return;
  skipUntil_ = sector + 1 + jump_;
  jump_ *= 2;
}

void BadZoneSkipper::ReadSucceeded() {
  failuresInARow_ = 0;
  jump_ = kFirstJump;
}

}  // namespace orlenta
