// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "engine/localized_text.h"
#include "engine/volume.h"

namespace orlenta {

extern const LocalizedText CapacityText;
extern const LocalizedText SectorCountText;
extern const LocalizedText BytesPerSectorText;
extern const LocalizedText AudioCdText;
extern const LocalizedText AudioTracksText;
extern const LocalizedText AudioLengthText;

// The size of the medium in a drive, as the log list shows it.
struct MediaFigures {
  uint64_t sectorCount = 0;
  uint32_t bytesPerSector = 0;
  std::vector<MediumTrack> tracks;  // from the disc's table of contents; empty when none

  // The capacity in KB, formed in 64 bits so that a DVD shows its true size.
  uint64_t CapacityKb() const { return sectorCount * bytesPerSector / 1024; }
};

// The figures of the medium in `driveLetter`; all zero when there is none to read.
MediaFigures QueryMediaFigures(VolumeSource& volumes, char driveLetter);

// The log lines for `figures` in `language`: capacity, sector count and bytes per sector,
// or the one not-ready line when the capacity is 0. A disc with audio tracks tells them and
// their length ("Audio tracks 3", "Length 12:34"); a disc of audio tracks only is an audio
// CD ("Audio CD, 12 tracks") instead of its capacity.
std::vector<std::string> MediaPropertyLines(const MediaFigures& figures, int language);

}  // namespace orlenta
