// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "engine/volume.h"
#include "image_reading.h"

namespace orlenta {

// Drive letters standing for volume paths (image files or block devices).
class DriveMap final : public VolumeSource {
 public:
  // `how` says how an image file there is read (by default, as its content says).
  void Assign(char driveLetter, std::string path, ImageReading how = {}) {
    paths_[driveLetter] = std::move(path);
    readings_[driveLetter] = how;
  }
  const std::map<char, std::string>& Paths() const { return paths_; }
  // Every optical drive opened from now on is asked for `speed` (its own when nullopt), and
  // `told` hears when read errors lower it.
  void SetDriveSpeed(std::optional<int> speed, std::function<void(const SpeedLowered&)> told) {
    speed_ = speed;
    speedTold_ = std::move(told);
    speedSet_ = true;
  }

  std::unique_ptr<Volume> Open(char driveLetter) override;

 private:
  std::map<char, std::string> paths_;
  std::map<char, ImageReading> readings_;
  bool speedSet_ = false;
  std::optional<int> speed_;
  std::function<void(const SpeedLowered&)> speedTold_;
};

}  // namespace orlenta
