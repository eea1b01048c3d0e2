// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

#include "engine/volume.h"

namespace orlenta {

// Drive letters standing for volume paths (image files or block devices).
class DriveMap final : public VolumeSource {
 public:
  void Assign(char driveLetter, std::string path) { paths_[driveLetter] = std::move(path); }
  const std::map<char, std::string>& Paths() const { return paths_; }

  std::unique_ptr<Volume> Open(char driveLetter) override;

 private:
  std::map<char, std::string> paths_;
};

}  // namespace orlenta
