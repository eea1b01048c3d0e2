// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>
#include <optional>
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
    last_ = lowered;
  }
  // What was told since last taken.
  std::vector<SpeedLowered> TakeFresh() {
    const std::lock_guard hold(mutex_);
    return std::exchange(fresh_, {});
  }
  // The last speed told since forgotten, taken or not: where the drive stands now.
  std::optional<SpeedLowered> Last() {
    const std::lock_guard hold(mutex_);
    return last_;
  }
  // Everything told is forgotten: a new run begins.
  void Forget() {
    const std::lock_guard hold(mutex_);
    fresh_.clear();
    last_.reset();
  }

 private:
  std::mutex mutex_;
  std::vector<SpeedLowered> fresh_;
  std::optional<SpeedLowered> last_;
};

}  // namespace orlenta
