// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "engine/volume.h"
#include "sector_layout.h"

namespace orlenta {

// A volume whose sectors are the data parts of framed sectors in a file (open as `fd`, which
// the volume closes): each read takes the raw sectors it covers in one system call and hands
// back their data only, so no framing byte ever reaches a recovered file.
std::unique_ptr<Volume> MakeRawVolume(int fd, const SectorLayout& layout);

}  // namespace orlenta
