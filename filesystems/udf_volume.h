// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "block_reader.h"
#include "udf_descriptor.h"

namespace orlenta {

// One entry of a UDF logical volume's list of partition maps: how the blocks of a
// partition are found on the volume.
struct UdfPartitionMap {
  enum class Kind : uint8_t {
    kPhysical,  // block n is the partition's sector start + n
    kSparable,  // the same, but packets a drive found bad were moved to spare sectors
    kVirtual,   // block n is entry n of the virtual allocation table, a file at the end
    kMetadata,  // block n is block n of the metadata file (or of its mirror)
  };
  Kind kind = Kind::kPhysical;
  uint16_t partitionNumber = 0;
  // Sparable: blocks in a packet, and the sectors where copies of the sparing table lie.
  uint16_t packetBlocks = 0;
  std::vector<uint32_t> sparingTables;
  uint32_t sparingTableBytes = 0;
  // Metadata: the blocks of its file entry and of its mirror's, in the partition it lies on.
  uint32_t metadataFile = 0;
  uint32_t metadataMirror = 0;
};

// Where a partition lies on the volume.
struct UdfPartitionExtent {
  uint16_t number = 0;
  uint32_t start = 0;  // sector
  uint32_t length = 0;
};

// What a UDF volume's descriptors say: the logical volume and the partitions it spans.
struct UdfVolume {
  std::string label;
  uint16_t revision = 0;  // 0x0102, 0x0201, 0x0250 ...
  UdfAllocation fileSet;  // where the file set descriptor lies
  std::vector<UdfPartitionMap> maps;
  std::vector<UdfPartitionExtent> partitions;
};

// The UDF volume the volume holds, read from the first anchor whose main or reserve copy of
// the descriptor sequence is whole (`trackStarts`: blocks where data tracks begin, where
// a later session's anchor may be); nullopt when the volume holds no UDF. What cannot be
// read is told in `problems`.
std::optional<UdfVolume> ReadUdfVolume(BlockReader& blocks, std::span<const uint64_t> trackStarts,
                                       std::vector<std::string>& problems);

}  // namespace orlenta
