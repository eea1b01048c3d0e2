// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_volume.h"

#include <algorithm>

namespace orlenta {

RescueVolume::RescueVolume(std::unique_ptr<Volume> medium, RescueImage& image,
                           BadZoneSkipper& skipper, std::function<void()> afterStore)
    : medium_(std::move(medium)),
      image_(image),
      skipper_(skipper),
      afterStore_(std::move(afterStore)) {}

int64_t RescueVolume::ReadAt(uint64_t offset, std::span<uint8_t> into) {
  const uint32_t size = SectorSize();
  const uint64_t first = offset / size;
  const uint64_t wanted =
      std::min<uint64_t>(into.size() / size, SectorCount() - std::min(first, SectorCount()));
  uint64_t done = 0;
  while (done < wanted) {
    const uint64_t sector = first + done;
    const SectorState state = image_.State(sector);
    uint64_t count = 1;
    while (done + count < wanted && image_.State(sector + count) == state) ++count;
    uint8_t* at = into.data() + done * size;
    if (state == SectorState::kRead) {
      if (!image_.Load(sector, count, {at, count * size})) break;
      done += count;
      continue;
    }
    if (state == SectorState::kBad || skipper_.Skips(sector)) break;
    const int64_t got = ReadFromMedium(sector, count, at);
    if (got == kMediumGone) return done > 0 ? static_cast<int64_t>(done * size) : kMediumGone;
    done += static_cast<uint64_t>(got);
    if (static_cast<uint64_t>(got) < count) break;
  }
  return done > 0 ? static_cast<int64_t>(done * size) : -1;
}

int64_t RescueVolume::ReadFromMedium(uint64_t first, uint64_t count, uint8_t* into) {
  const uint32_t size = SectorSize();
  const int64_t got = medium_->ReadAt(first * size, {into, count * size});
  if (got == kMediumGone) return kMediumGone;
  const uint64_t whole = got > 0 ? static_cast<uint64_t>(got) / size : 0;
  if (whole > 0) {
    image_.Store(first, whole, {into, whole * size});
    skipper_.ReadSucceeded();
    if (afterStore_) afterStore_();
  }
  // Only a sector tried on its own is known bad: a failing block may hold good sectors.
  if (whole < count && count == 1) {
    image_.MarkBad(first);
    skipper_.ReadFailed(first);
  }
  return static_cast<int64_t>(whole);
}

std::unique_ptr<Volume> RescueVolumeSource::Open(char driveLetter) {
  std::unique_ptr<Volume> medium = inner_.Open(driveLetter);
  if (!medium) return nullptr;
  return std::make_unique<RescueVolume>(std::move(medium), image_, skipper_, afterStore_);
}

}  // namespace orlenta
