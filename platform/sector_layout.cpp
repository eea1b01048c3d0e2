// SPDX-License-Identifier: GPL-3.0-or-later
#include "sector_layout.h"

#include <algorithm>

namespace orlenta {

const char* RawModeName(RawMode mode) {
  switch (mode) {
    case RawMode::kMode1:
      return "Mode 1";
    case RawMode::kMode2Form1:
      return "Mode 2 Form 1";
    case RawMode::kMode2Form2:
      return "Mode 2 Form 2";
    case RawMode::kMode2:
      return "Mode 2";
    case RawMode::kNone:
      break;
  }
  return "";
}

const char* ContainerName(Container container) {
  switch (container) {
    case Container::kExpertWitness:
      return "Expert Witness (EWF)";
    case Container::kSplitRaw:
      return "split raw image";
    case Container::kNone:
      break;
  }
  return "";
}

uint64_t SectorLayout::ImageOffset(uint64_t sector) const {
  if (const DiscTrack* track = DataTrackAt(sector)) {
    return track->layout.ImageOffset(sector - track->firstSector);
  }
  return firstByte + sector * stride + dataOffset;
}

const DiscTrack* SectorLayout::DataTrackAt(uint64_t sector) const {
  const auto holds = [sector](const DiscTrack& track) {
    return track.kind == TrackKind::kData && sector >= track.firstSector &&
           sector < track.EndSector();
  };
  const auto found = std::find_if(tracks.begin(), tracks.end(), holds);
  return found == tracks.end() ? nullptr : &*found;
}

std::vector<MediumTrack> MediumTracks(const SectorLayout& disc) {
  std::vector<MediumTrack> listing;
  for (const DiscTrack& track : disc.tracks) {
    listing.push_back(
        {track.number, track.kind == TrackKind::kAudio, track.firstSector, track.sectorCount});
  }
  return listing;
}

std::string DescribeTrack(const DiscTrack& track) {
  std::string what = "audio";
  if (track.kind == TrackKind::kData) {
    const std::string mode = RawModeName(track.layout.rawMode);
    what = mode.empty() ? "data" : mode + " data";
  }
  std::string text = "Track " + std::to_string(track.number) + ": " + what + ", ";
  if (track.sectorCount == 0) {
    text += "no sectors";
  } else {
    text += "sectors " + std::to_string(track.firstSector) + "-" +
            std::to_string(track.EndSector() - 1);
  }
  return text + " (session " + std::to_string(track.session) + ")";
}

}  // namespace orlenta
