// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>

#include "engine/bad_zone_skipper.h"
#include "engine/volume.h"
#include "rescue_image.h"

namespace orlenta {

// A medium read through its rescue image: sectors the image holds come from the image, the
// medium is asked only for sectors not tried yet, and each one it gives goes into the image
// at once. Sectors already found bad fail at once, untried: going over them again is for
// the retry passes. With a skipper enabled, zones of bad sectors are jumped over here, so
// that no sector the image holds is ever jumped over with them.
class RescueVolume final : public Volume {
 public:
  RescueVolume(std::unique_ptr<Volume> medium, RescueImage& image, BadZoneSkipper& skipper,
               std::function<void()> afterStore);

  uint32_t SectorSize() const override { return medium_->SectorSize(); }
  uint64_t SectorCount() const override { return image_.SectorCount(); }
  std::vector<MediumTrack> Tracks() const override { return medium_->Tracks(); }
  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override;

 private:
  // Reads `count` untried sectors from `first` from the medium; how many it gave, or
  // Volume::kMediumGone.
  int64_t ReadFromMedium(uint64_t first, uint64_t count, uint8_t* into);

  std::unique_ptr<Volume> medium_;
  RescueImage& image_;
  BadZoneSkipper& skipper_;
  std::function<void()> afterStore_;
};

// The drives of `inner`, each opened as a RescueVolume over `image`.
class RescueVolumeSource final : public VolumeSource {
 public:
  RescueVolumeSource(VolumeSource& inner, RescueImage& image, BadZoneSkipper& skipper,
                     std::function<void()> afterStore)
      : inner_(inner), image_(image), skipper_(skipper), afterStore_(std::move(afterStore)) {}

  std::unique_ptr<Volume> Open(char driveLetter) override;

 private:
  VolumeSource& inner_;
  RescueImage& image_;
  BadZoneSkipper& skipper_;
  std::function<void()> afterStore_;
};

}  // namespace orlenta
