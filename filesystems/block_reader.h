// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/volume.h"

namespace orlenta {

// The volume as a file system sees it: blocks of 2,048 logical bytes. On a volume of
// smaller sectors they lie one after another; on one whose sectors are larger (raw Mode 2
// sectors of both forms) each sector's first 2,048 bytes are one block. Blocks read are
// kept a while, and a block that cannot be read is tried once only, so a damaged sector
// costs one try however many copies of a directory point at it.
class BlockReader {
 public:
  static constexpr uint32_t kBlockBytes = 2048;
  using Block = std::array<uint8_t, kBlockBytes>;

  explicit BlockReader(Volume& volume);

  uint64_t BlockCount() const { return blockCount_; }
  uint64_t LogicalBytes() const { return blockCount_ * kBlockBytes; }

  // The block's bytes, or nullptr when it cannot be read or lies past the end. Valid until
  // the next call.
  const Block* Read(uint64_t block);

  // The blocks at which the volume's data tracks begin (none for a volume of one stretch).
  std::vector<uint64_t> DataTrackStarts() const;

  // Bytes asked of the volume so far.
  uint64_t BytesRead() const { return bytesRead_; }

 private:
  Volume& volume_;
  uint32_t sectorSize_;
  uint64_t blockCount_;
  std::unordered_map<uint64_t, Block> kept_;
  std::unordered_set<uint64_t> unreadable_;
  Block scratch_{};
  uint64_t bytesRead_ = 0;
};

// Where logical byte `offset` lies on a volume of `sectorSize`-byte sectors: the sector and
// the byte inside its data.
struct LogicalPlace {
  uint64_t sector = 0;
  uint32_t byte = 0;
};
LogicalPlace PlaceOfLogicalByte(uint64_t offset, uint32_t sectorSize);

// How many logical bytes a sector of `sectorSize` bytes carries.
uint32_t LogicalBytesPerSector(uint32_t sectorSize);

}  // namespace orlenta
