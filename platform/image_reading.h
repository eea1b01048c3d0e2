// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>

#include "sector_layout.h"

namespace orlenta {

// How an image file's sectors are taken: judged by its first sectors, or as the user says.
enum class LayoutChoice {
  kAuto,   // raw when its first sectors carry the CD sync pattern, else plain
  kPlain,  // plain 2,048-byte sectors, whatever the bytes look like
  kRaw,    // raw CD sectors, even when the start of the image is damaged
};

// The reader asked an optical drive for a lower speed by itself, after read errors.
struct SpeedLowered {
  int speed = 0;         // what it asked for, in multiples of a music CD's speed
  bool refused = false;  // the drive would not take it: no lower speed is asked again
};

// What the user asked of a source beyond its path.
struct ImageReading {
  std::optional<int> track;  // a cue sheet's track; by default its first data track
  LayoutChoice layout = LayoutChoice::kAuto;
  // An optical drive's read speed, in multiples of a music CD's (1x = 176,400 bytes per
  // second); the drive's own choice when not given.
  std::optional<int> speed = std::nullopt;
  // Told, on the thread that reads, each time an optical drive's speed is lowered after
  // read errors; nothing is told when not given.
  std::function<void(const SpeedLowered&)> speedLowered = nullptr;
  // The source's layout, when this run has read it already: a drive's table of contents and
  // the forms of its tracks' sectors (found by raw reads spread over each Mode 2 track) are
  // then read once a run, not at every open.
  std::optional<SectorLayout> known = std::nullopt;
};

}  // namespace orlenta
