// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace orlenta {

// The process-wide state that every reader, the detection and the carver share. It lives
// as long as the process and is used only from the one user-interface thread.

inline constexpr std::size_t kSectorBufferSize = 10048;

// Every sector read lands here from its first byte; bytes past the read keep what they held.
extern std::array<uint8_t, kSectorBufferSize> SectorBuffer;

// What the geometry query of the selected drive returned, in its order.
struct DriveGeometryValues {
  uint32_t sectorsPerCluster = 0;
  uint32_t bytesPerSector = 0;
  uint32_t freeClusters = 0;
  // A count of sectors, so 64 bits: a disk of 2 TiB of 512-byte sectors has more than 32
  // bits can count.
  uint64_t totalClusters = 0;

  // The sector count of the volume, in 64 bits so that it never wraps.
  uint64_t SectorCount() const { return totalClusters * sectorsPerCluster; }
};
extern DriveGeometryValues DriveGeometry;

// The sector count of the running scan, the divisor of every progress value.
extern uint64_t TotalSectors;

// Set by Stop, Exit and closing the window; tested after every sector read.
extern bool StopFlag;

// The percentage shown for `sector` of `total`, truncated; 0 for an empty volume.
int ProgressPercent(uint64_t sector, uint64_t total);

}  // namespace orlenta
