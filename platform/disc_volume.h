// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/volume.h"

namespace orlenta {

// A data track of a disc and the volume its sectors are read from, sector 0 being the
// track's first.
struct TrackVolume {
  uint64_t firstSector = 0;  // on the disc
  uint64_t sectorCount = 0;
  std::unique_ptr<Volume> volume;
};

// The whole disc as one volume, numbered as the disc numbers its sectors: each data track's
// sectors come from its own volume; every other sector (an audio track, the sectors between
// sessions) is never read, reads as zeros and holds no data bytes, so it adds nothing to a
// file. Sectors are as large as the largest of the tracks'; a smaller track's sectors are
// padded with zeros that belong to no file. `tracks` in disc order, none overlapping;
// `listing` every track of the disc, for Volume::Tracks.
std::unique_ptr<Volume> MakeDiscVolume(std::vector<TrackVolume> tracks, uint64_t sectorCount,
                                       std::vector<MediumTrack> listing);

}  // namespace orlenta
