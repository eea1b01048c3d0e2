// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>

#include "file_kind.h"
#include "host.h"
#include "sector_map.h"
#include "volume.h"

namespace orlenta {

// The files a disc's own directory lists, written under their own names during the scan
// that carves the rest. The run tells it of the volume before the scan, of every sector as
// it is read, and of the end; it tells the run which headers need no carving.
class ListedFiles {
 public:
  virtual ~ListedFiles() = default;

  // Reads the volume's directories (before the scan, so a few sectors are read twice) and
  // makes ready to write what they list into the host's output folder.
  virtual void Prepare(Volume& volume, RunHost& host) = 0;

  // The sectors from `firstSector` on, each `bytesPerSector` long in `bytes`, as the scan
  // read them: `states` tells which came back unreadable (their bytes are zeros). Sectors
  // are told in order; a sector told again (the scan stepping back) is ignored.
  virtual void SectorsRead(uint64_t firstSector, uint32_t bytesPerSector,
                           std::span<const uint8_t> bytes, std::span<const SectorState> states) = 0;

  // True when the header of `kind` found in `sector` is part of a listed file of a kind that
  // is recovered, written by name already: it is not carved again. Asked for every sector
  // the scan itself looks at (kind kNoHeader when it holds none), in order.
  virtual bool HidesHeader(uint64_t sector, FileKind kind) = 0;

  // The first sector from `sector` on where a stretch of sectors begins that a listed file
  // could take straight from the volume (see TakeFromVolume), kNoStretch when none does: the
  // scan reads ahead no further than that sector, so that what is taken is never read.
  virtual uint64_t NextTakeableStart(uint64_t sector) const {
    (void)sector;
    return kNoStretch;
  }

  // Every sector up to `sector` has been told, none after it, and the scan found no file to
  // carve in them: a listed file written by name whose header is hidden holds the sectors
  // after it. Copies at most `most` of those that it alone holds straight from `volume`
  // into its file, without their bytes passing through the program. Returns how many sectors
  // were taken: they count as told, and the scan goes on after them. 0 when none was.
  virtual uint64_t TakeFromVolume(uint64_t sector, Volume& volume, uint64_t most) {
    (void)sector, (void)volume, (void)most;
    return 0;
  }

  // The scan has ended (completed or stopped): every file is closed.
  virtual void Finish() = 0;

  static constexpr uint64_t kNoStretch = UINT64_MAX;
};

}  // namespace orlenta
