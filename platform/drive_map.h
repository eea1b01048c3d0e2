// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
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

  std::unique_ptr<Volume> Open(char driveLetter) override;

 private:
  std::map<char, std::string> paths_;
  std::map<char, ImageReading> readings_;
};

}  // namespace orlenta
