// SPDX-License-Identifier: GPL-3.0-or-later
#include "block_reader.h"

#include <algorithm>

namespace orlenta {
namespace {
// Each directory block is read once in each copy; those kept serve the few read again (a
// folder's first block, Rock Ridge continuations). More would only hold memory a disc of
// many files needs for its names.
constexpr std::size_t kBlocksKept = 512;
}  // namespace

uint32_t LogicalBytesPerSector(uint32_t sectorSize) {
  return std::min(sectorSize, BlockReader::kBlockBytes);
}

LogicalPlace PlaceOfLogicalByte(uint64_t offset, uint32_t sectorSize) {
  const uint32_t perSector = LogicalBytesPerSector(sectorSize);
  if (perSector == 0) return {};
  return {offset / perSector, static_cast<uint32_t>(offset % perSector)};
}

BlockReader::BlockReader(Volume& volume)
    : volume_(volume), sectorSize_(volume.SectorSize()), blockCount_(0) {
  const uint32_t perSector = LogicalBytesPerSector(sectorSize_);
  // Sectors that do not divide a block evenly hold no file system we read.
  if (perSector != 0 && kBlockBytes % perSector == 0) {
    blockCount_ = volume.SectorCount() / (kBlockBytes / perSector);
  }
}

std::vector<uint64_t> BlockReader::DataTrackStarts() const {
  const uint32_t perSector = LogicalBytesPerSector(sectorSize_);
  std::vector<uint64_t> starts;
  if (perSector == 0) return starts;
  for (const MediumTrack& track : volume_.Tracks()) {
    if (!track.audio) starts.push_back(track.firstSector * perSector / kBlockBytes);
  }
  return starts;
}

const BlockReader::Block* BlockReader::Read(uint64_t block) {
  if (block >= blockCount_ || unreadable_.contains(block)) return nullptr;
  if (const auto kept = kept_.find(block); kept != kept_.end()) return &kept->second;
  const uint32_t perSector = LogicalBytesPerSector(sectorSize_);
  const uint64_t sectorsPerBlock = kBlockBytes / perSector;
  bool whole = true;
  for (uint64_t i = 0; i < sectorsPerBlock && whole; ++i) {
    const uint64_t sector = block * sectorsPerBlock + i;
    const std::span<uint8_t> into(scratch_.data() + i * perSector, perSector);
    bytesRead_ += perSector;
    whole = volume_.ReadAt(sector * sectorSize_, into) == static_cast<int64_t>(perSector);
  }
  if (!whole) {
    unreadable_.insert(block);
    return nullptr;
  }
  if (kept_.size() >= kBlocksKept) kept_.clear();
  return &(kept_[block] = scratch_);
}

}  // namespace orlenta
