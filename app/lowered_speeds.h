// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>
#include <utility>
#include <vector>

#include "platform/image_reading.h"

namespace orlenta {

// The drive speeds the reader lowered to during a run: told on the thread that reads,
// taken on the window's.
class LoweredSpeeds {
 public:
  void Tell(const SpeedLowered& lowered) {
    const std::lock_guard hold(mutex_);
    fresh_.push_back(lowered);
  }
  // What was told since last taken.
  std::vector<SpeedLowered> TakeFresh() {
    const std::lock_guard hold(mutex_);
    return std::exchange(fresh_, {});
  }
  // Everything told is forgotten: a new run begins.
  void Forget() {
    const std::lock_guard hold(mutex_);
    fresh_.clear();
  }

 private:
  std::mutex mutex_;
  std::vector<SpeedLowered> fresh_;
};

}  // namespace orlenta
