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

  // The scan has ended (completed or stopped): every file is closed.
  virtual void Finish() = 0;
};

}  // namespace orlenta
