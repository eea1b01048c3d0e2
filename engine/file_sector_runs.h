// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlenta {

// Which sector each byte of a file being written came from. On a raw Mode 2 volume a sector
// gives a file 2,048 or 2,324 bytes as its form says, so a length in the file is not a whole
// number of sectors: the file is kept as runs of sectors that each gave the same count.
// Forms rarely change inside one file; a file changing more often than kMaxRuns times is
// not mapped any further, so memory stays flat.
class FileSectorRuns {
 public:
  static constexpr std::size_t kMaxRuns = 4096;

  // The file starts with `bytes` of the sector `sector`.
  void Start(uint64_t sector, uint32_t bytes);
  // The next sector gave the file `bytes`. False when the runs are full: from then on the
  // sector of a length can no longer be told.
  bool Add(uint32_t bytes);
  // The sector holding the file's byte `length - 1`; `length` is at least 1 and at most the
  // bytes added.
  uint64_t SectorHolding(uint64_t length) const;

 private:
  struct Run {
    uint64_t firstSector;
    uint64_t firstByte;  // of the file, at the start of the run
    uint32_t bytesPerSector;
  };
  std::vector<Run> runs_;
  uint64_t nextSector_ = 0;
  uint64_t length_ = 0;
};

}  // namespace orlenta
