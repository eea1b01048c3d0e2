// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "engine/volume.h"

namespace orlenta {

// The volumes of `volumes`, opened and read without holding up the window: a scratched
// disc may keep one read busy for half a minute, and the window must go on answering
// meanwhile. Each open and read waits for its result off the window's thread
// (WaitOffWindowThread), so the run that reads them stays one sequential scan that sees
// every result exactly as the volume gave it. Stop, pressed during a read, is heard when
// that read returns, with everything it read.
class ResponsiveVolumeSource final : public VolumeSource {
 public:
  explicit ResponsiveVolumeSource(VolumeSource& volumes) : volumes_(volumes) {}

  std::unique_ptr<Volume> Open(char driveLetter) override;

 private:
  VolumeSource& volumes_;
};

}  // namespace orlenta
