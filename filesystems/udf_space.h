// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "block_reader.h"
#include "udf_descriptor.h"
#include "udf_volume.h"

namespace orlenta {

// The blocks of a UDF logical volume's partitions as sectors of the volume: each partition
// map's way of placing them (a plain partition, one with spared packets, the virtual
// allocation table's, the metadata file's) turned into sector numbers. The tables the
// virtual and metadata maps need are files on the disc, read by their loader and set here.
class UdfSpace {
 public:
  UdfSpace(BlockReader& blocks, UdfVolume volume);

  // Where `address` lies: its sector, and how many blocks from it on lie one after another
  // on the volume (at least 1); nullopt when no map places it.
  struct Place {
    uint64_t sector = 0;
    uint64_t run = 1;
  };
  std::optional<Place> Locate(UdfAddress address) const;

  // The block at `address`: for the metadata partition, from the mirror when the metadata
  // file's own copy cannot be read. nullptr when it cannot be read or is placed nowhere.
  const BlockReader::Block* Read(UdfAddress address);

  // The plain (or sparable) map of the partition that map `map` lies on; `map` itself when
  // it is one.
  std::optional<uint16_t> BaseOf(uint16_t map) const;

  // Packets moved to spare sectors: first block of the packet in the partition → sector.
  void SetSpared(uint16_t map, std::map<uint32_t, uint32_t> spared);
  // The virtual allocation table: virtual block → block of the base partition.
  void SetVirtualTable(uint16_t map, std::vector<uint32_t> table);
  // The metadata file's allocations (and its mirror's), in its base partition.
  void SetMetadataFile(uint16_t map, std::vector<UdfAllocation> file, bool mirror);

  // Takes `units` of the work a volume may cost (a block read is 16, placing a run 1); false
  // once it is spent, after which reads fail: a hostile disc whose entries all share their
  // runs and folders costs bounded time however many entries it has.
  bool Spend(uint64_t units);
  bool Spent() const { return spent_ >= kWorkBudget; }
  static constexpr uint64_t kWorkBudget = uint64_t{1} << 27;

  const UdfVolume& Volume() const { return volume_; }
  BlockReader& Blocks() { return blocks_; }

 private:
  struct MapState {
    std::optional<uint16_t> base;
    std::map<uint32_t, uint32_t> spared;
    std::vector<uint32_t> virtualTable;
    // The metadata file's runs: the first metadata block of each, and the runs themselves.
    std::vector<uint64_t> fileStarts[2];
    std::vector<UdfAllocation> file[2];
  };
  std::optional<Place> LocateIn(UdfAddress address, int copy) const;
  std::optional<Place> LocatePhysical(uint16_t map, uint32_t block) const;
  std::optional<Place> LocateMetadata(const MapState& state, uint16_t base, uint32_t block,
                                      int copy) const;

  BlockReader& blocks_;
  UdfVolume volume_;
  std::vector<MapState> states_;
  uint64_t spent_ = 0;
};

}  // namespace orlenta
