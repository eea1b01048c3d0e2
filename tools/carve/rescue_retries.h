// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>

#include "engine/volume.h"
#include "rescue/rescue_image.h"

namespace orlenta {

// What the retry passes ask of the run around them.
struct RetryHooks {
  std::function<bool()> stopRequested;                   // checked after every sector
  std::function<void(int pass, uint64_t left)> started;  // a pass begins, `left` to try
  std::function<void()> afterStore;                      // a sector went into the image
};

// Goes `passes` times over every sector the image does not hold yet, one sector at a time,
// as rescue tools do: forwards on odd passes, backwards on even ones, since a drive often
// reads the edge of a scratch from one side only. Each sector read goes into the image;
// each that fails is marked bad. Returns the sectors read.
uint64_t RetryUnreadSectors(Volume& medium, RescueImage& image, int passes,
                            const RetryHooks& hooks);

}  // namespace orlenta
