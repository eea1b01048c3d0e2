// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/sector_map.h"
#include "rescue_mapfile.h"

namespace orlenta {

// The disc's image kept while carving (--image), and its mapfile: every sector read from the
// medium is written into the image at its place, and the map says of each sector whether it
// is there (read), was tried and failed (bad), or has not been tried (skipped). The image is
// sparse where nothing was read. The mapfile never claims a sector the image does not hold:
// the image reaches the disk before each mapfile is put in place.
class RescueImage {
 public:
  RescueImage() = default;
  RescueImage(const RescueImage&) = delete;
  RescueImage& operator=(const RescueImage&) = delete;
  ~RescueImage();

  // Opens the image of a volume of `sectorCount` sectors of `sectorSize` bytes. With a
  // mapfile at `mapfilePath`, the image must exist and the mapfile's map is taken up: a
  // run that goes on. Without one, the image must not exist yet and is created empty. Returns
  // "" when opened, else why not.
  std::string Open(const std::string& imagePath, const std::string& mapfilePath,
                   uint64_t sectorCount, uint32_t sectorSize);

  // True when the image and mapfile were there before this run.
  bool Resumed() const { return resumed_; }

  SectorState State(uint64_t sector) const { return states_[sector]; }
  uint64_t SectorCount() const { return states_.size(); }
  uint32_t SectorSize() const { return sectorSize_; }

  // Reads `count` sectors from `first` out of the image; false when the image cannot give
  // them.
  bool Load(uint64_t first, uint64_t count, std::span<uint8_t> into) const;

  // Puts `count` sectors read from the medium at their place in the image and marks them
  // read; a write that fails leaves them as they were marked, and is remembered.
  void Store(uint64_t first, uint64_t count, std::span<const uint8_t> bytes);

  // Marks a sector tried and unreadable (never one the image holds).
  void MarkBad(uint64_t sector);

  // Sectors of each state over the whole volume.
  uint64_t Count(SectorState state) const;

  // Brings the image to the disk and puts a new mapfile in place of the old. False when
  // either fails.
  bool Save(const MapfileRun& about);

  // Saves when kSaveInterval has passed since the last save, so that a run that is killed
  // loses little.
  void SaveFromTimeToTime(const MapfileRun& about);

  // True once a write into the image failed: what it holds falls short of what was read.
  bool WriteFailed() const { return writeFailed_; }

  static constexpr std::chrono::seconds kSaveInterval{30};

 private:
  int fd_ = -1;
  std::string mapfilePath_;
  uint32_t sectorSize_ = 0;
  std::vector<SectorState> states_;
  bool resumed_ = false;
  bool writeFailed_ = false;
  std::chrono::steady_clock::time_point lastSave_{};
};

}  // namespace orlenta
