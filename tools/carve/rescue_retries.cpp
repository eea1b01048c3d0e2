// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_retries.h"

#include <vector>

namespace orlenta {
namespace {

enum class Try { kRead, kFailed, kMediumGone };

Try TrySector(Volume& medium, RescueImage& image, uint64_t sector, std::vector<uint8_t>& bytes) {
  const int64_t got = medium.ReadAt(sector * image.SectorSize(), bytes);
  if (got == Volume::kMediumGone) return Try::kMediumGone;
  if (got == static_cast<int64_t>(bytes.size())) {
    image.Store(sector, 1, bytes);
    if (image.State(sector) == SectorState::kRead) return Try::kRead;
  } else {
    image.MarkBad(sector);
  }
  return Try::kFailed;
}

}  // namespace

uint64_t RetryUnreadSectors(Volume& medium, RescueImage& image, int passes,
                            const RetryHooks& hooks) {
  std::vector<uint8_t> bytes(image.SectorSize());
  uint64_t read = 0;
  for (int pass = 1; pass <= passes; ++pass) {
    const uint64_t left = image.SectorCount() - image.Count(SectorState::kRead);
    if (left == 0) break;
    if (hooks.started) hooks.started(pass, left);
    const bool forwards = pass % 2 == 1;
    for (uint64_t i = 0; i < image.SectorCount(); ++i) {
      const uint64_t sector = forwards ? i : image.SectorCount() - 1 - i;
      if (image.State(sector) == SectorState::kRead) continue;
      const Try result = TrySector(medium, image, sector, bytes);
      // A disc taken out: nothing more can be read, and nothing is to be marked bad for it.
      if (result == Try::kMediumGone) return read;
      if (result == Try::kRead) {
        ++read;
        if (hooks.afterStore) hooks.afterStore();
      }
      if (hooks.stopRequested && hooks.stopRequested()) return read;
    }
  }
  return read;
}

}  // namespace orlenta
