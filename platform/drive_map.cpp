// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_map.h"

#include "posix_volume.h"

namespace orlenta {

std::unique_ptr<Volume> DriveMap::Open(char driveLetter) {
  const auto found = paths_.find(driveLetter);
  return found == paths_.end() ? nullptr : OpenPosixVolume(found->second);
}

}  // namespace orlenta
