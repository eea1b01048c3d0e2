// SPDX-License-Identifier: GPL-3.0-or-later
#include "responsive_volume.h"

#include "off_thread_wait.h"

namespace orlenta {
namespace {

class ResponsiveVolume final : public Volume {
 public:
  explicit ResponsiveVolume(std::unique_ptr<Volume> volume) : volume_(std::move(volume)) {}

  uint32_t SectorSize() const override { return volume_->SectorSize(); }
  uint64_t SectorCount() const override { return volume_->SectorCount(); }
  uint32_t SectorDataBytes(uint64_t sector) override { return volume_->SectorDataBytes(sector); }
  std::vector<MediumTrack> Tracks() const override { return volume_->Tracks(); }

  int64_t ReadAt(uint64_t offset, std::span<uint8_t> into) override {
    int64_t got = -1;
    WaitOffWindowThread([&] { got = volume_->ReadAt(offset, into); });
    return got;
  }

 private:
  std::unique_ptr<Volume> volume_;
};

}  // namespace

std::unique_ptr<Volume> ResponsiveVolumeSource::Open(char driveLetter) {
  std::unique_ptr<Volume> volume;
  WaitOffWindowThread([&] { volume = volumes_.Open(driveLetter); });
  if (!volume) return nullptr;
  return std::make_unique<ResponsiveVolume>(std::move(volume));
}

}  // namespace orlenta
