#pragma once

#include <memory>
#include <string>

#include "engine/volume.h"

namespace orlenta {

// Why a volume could not be opened, for messages that name the problem.
struct VolumeOpenError {
  int errnum = 0;      // from the system, 0 when the reason is ours
  std::string reason;  // e.g. "is a directory"
};

// Opens an image file (2,048-byte sectors, a tail shorter than a sector ignored) or a block
// device such as /dev/sr0 (size and logical sector size from the kernel), read-only.
// nullptr when it cannot be opened; `error`, when given, says why.
std::unique_ptr<Volume> OpenPosixVolume(const std::string& path, VolumeOpenError* error = nullptr);

inline constexpr uint32_t kImageSectorSize = 2048;

}  // namespace orlenta
