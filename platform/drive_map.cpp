// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_map.h"

#include "posix_volume.h"

namespace orlenta {

std::unique_ptr<Volume> DriveMap::Open(char driveLetter) {
  const auto found = paths_.find(driveLetter);
  if (found == paths_.end()) return nullptr;
  const auto how = readings_.find(driveLetter);
  ImageReading reading = how == readings_.end() ? ImageReading{} : how->second;
  if (speedSet_) {
    reading.speed = speed_;
    reading.speedLowered = speedTold_;
  }
  return OpenPosixVolume(found->second, nullptr, reading);
}

}  // namespace orlenta
