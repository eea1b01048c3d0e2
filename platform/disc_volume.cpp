// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc_volume.h"

#include <algorithm>
#include <cstring>

namespace orlenta {
namespace {

class DiscVolume final : public Volume {
 public:
  DiscVolume(std::vector<TrackVolume> tracks, uint64_t sectorCount,
             std::vector<MediumTrack> listing)
      : tracks_(std::move(tracks)), sectorCount_(sectorCount), listing_(std::move(listing)) {
    for (const TrackVolume& track : tracks_) {
      sectorSize_ = std::max(sectorSize_, track.volume->SectorSize());
    }
  }

  uint32_t SectorSize() const override { return sectorSize_; }
  uint64_t SectorCount() const override { return sectorCount_; }
  std::vector<MediumTrack> Tracks() const override { return listing_; }

  uint32_t SectorDataBytes(uint64_t sector) override {
    const TrackVolume* track = TrackAt(sector);
    if (!track) return 0;
    return std::min(track->volume->SectorDataBytes(sector - track->firstSector),
                    track->volume->SectorSize());
  }

  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    const uint64_t total = sectorCount_ * sectorSize_;
    if (into.empty()) return 0;
    if (offset >= total) return -1;
    into = into.first(static_cast<std::size_t>(std::min<uint64_t>(into.size(), total - offset)));
    std::size_t done = 0;
    while (done < into.size()) {
      const std::size_t asked = StretchBytes(offset + done, into.size() - done);
      const int64_t got = ReadStretch(offset + done, into.subspan(done, asked));
      if (got <= 0) return done > 0 ? static_cast<int64_t>(done) : got;
      done += static_cast<std::size_t>(got);
      // A read that failed part-way: asking on from there would only fail again (on a
      // scratched disc, one failing read of the drive more).
      if (static_cast<std::size_t>(got) < asked) break;
    }
    return static_cast<int64_t>(done);
  }

 private:
  const TrackVolume* TrackAt(uint64_t sector) const {
    for (const TrackVolume& track : tracks_) {
      if (sector >= track.firstSector && sector < track.firstSector + track.sectorCount) {
        return &track;
      }
    }
    return nullptr;
  }

  // The first sector at or after `sector` that a track holds; the disc's end when none.
  uint64_t NextTrackStart(uint64_t sector) const {
    uint64_t next = sectorCount_;
    for (const TrackVolume& track : tracks_) {
      if (track.firstSector > sector) next = std::min(next, track.firstSector);
    }
    return next;
  }

  // How many of `bytes` bytes from `offset` lie in one stretch: in one track, or before the
  // next track.
  std::size_t StretchBytes(uint64_t offset, std::size_t bytes) const {
    const uint64_t sector = offset / sectorSize_;
    const TrackVolume* track = TrackAt(sector);
    const uint64_t stretchEnd =
        track ? track->firstSector + track->sectorCount : NextTrackStart(sector);
    return static_cast<std::size_t>(std::min<uint64_t>(bytes, stretchEnd * sectorSize_ - offset));
  }

  // Reads from disc byte `offset` up to the end of `into` or of the stretch it starts in:
  // one track, or the sectors up to the next track. As ReadAt returns.
  int64_t ReadStretch(uint64_t offset, std::span<uint8_t> into) {
    const TrackVolume* track = TrackAt(offset / sectorSize_);
    const std::size_t length = StretchBytes(offset, into.size());
    into = into.first(length);
    if (!track) {
      std::fill(into.begin(), into.end(), uint8_t{0});
      return static_cast<int64_t>(length);
    }
    const uint64_t inTrack = offset - track->firstSector * sectorSize_;
    if (track->volume->SectorSize() == sectorSize_) return track->volume->ReadAt(inTrack, into);
    return ReadPadded(*track->volume, inTrack, into);
  }

  // Reads a track whose sectors are smaller than the disc's: each in its own place, the
  // rest of the place zeros.
  int64_t ReadPadded(Volume& volume, uint64_t offset, std::span<uint8_t> into) const {
    const uint32_t own = volume.SectorSize();
    std::size_t done = 0;
    while (done < into.size()) {
      const uint64_t at = offset + done;
      const uint64_t sector = at / sectorSize_;
      const uint64_t within = at % sectorSize_;
      const std::size_t length = std::min<std::size_t>(into.size() - done, sectorSize_ - within);
      std::span<uint8_t> place = into.subspan(done, length);
      std::fill(place.begin(), place.end(), uint8_t{0});
      if (within < own) {
        const std::size_t dataLength = std::min<std::size_t>(length, own - within);
        const int64_t got = volume.ReadAt(sector * own + within, place.first(dataLength));
        if (got != static_cast<int64_t>(dataLength)) {
          return done > 0 ? static_cast<int64_t>(done) : (got < 0 ? got : -1);
        }
      }
      done += length;
    }
    return static_cast<int64_t>(done);
  }

  std::vector<TrackVolume> tracks_;
  uint64_t sectorCount_;
  std::vector<MediumTrack> listing_;
  uint32_t sectorSize_ = 2048;  // a disc without data tracks: plain sectors of zeros
};

}  // namespace

std::unique_ptr<Volume> MakeDiscVolume(std::vector<TrackVolume> tracks, uint64_t sectorCount,
                                       std::vector<MediumTrack> listing) {
  return std::make_unique<DiscVolume>(std::move(tracks), sectorCount, std::move(listing));
}

}  // namespace orlenta
