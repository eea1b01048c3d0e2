// SPDX-License-Identifier: GPL-3.0-or-later
#include "udf_volume.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "iso_record.h"
#include "udf_text.h"

namespace orlenta {
namespace {

constexpr uint64_t kRecognitionStart = 16;
constexpr uint64_t kMaxRecognitionBlocks = 64;
constexpr uint64_t kAnchorBlock = 256;
constexpr uint32_t kMaxSequenceBlocks = 256;
constexpr int kMaxSequencePointers = 16;
constexpr uint32_t kMaxPartitionMaps = 64;

bool Identifies(const BlockReader::Block& block, const char* identifier) {
  return std::memcmp(block.data() + 1, identifier, 5) == 0;
}

// Whether the volume recognition sequence names a UDF volume: nullopt when it cannot be
// read, so that the anchors are tried in any case.
std::optional<bool> RecognisedAsUdf(BlockReader& blocks) {
  for (uint64_t i = 0; i < kMaxRecognitionBlocks; ++i) {
    const BlockReader::Block* block = blocks.Read(kRecognitionStart + i);
    if (!block) return i == 0 ? std::nullopt : std::optional(false);
    if (Identifies(*block, "NSR02") || Identifies(*block, "NSR03")) return true;
    const bool known = Identifies(*block, "CD001") || Identifies(*block, "BEA01") ||
                       Identifies(*block, "TEA01") || Identifies(*block, "BOOT2") ||
                       Identifies(*block, "CDW02");
    if (!known) return false;
  }
  return false;
}

struct SequenceExtent {
  uint32_t start = 0;
  uint32_t blocks = 0;
  auto operator<=>(const SequenceExtent&) const = default;
};

// The newest of each descriptor the sequences hold, by their sequence numbers.
class DescriptorSet {
 public:
  void Take(const BlockReader::Block& block, UdfTagId id) {
    const uint32_t number = Le32(block, 16);
    if (id == UdfTagId::kPrimaryVolume) Keep(primary_, block, number);
    if (id == UdfTagId::kLogicalVolume) Keep(logical_, block, number);
    if (id == UdfTagId::kPartition) Keep(partitions_[Le16(block, 22)], block, number);
  }

  // Whole once the logical volume and every partition its maps name are known.
  bool Whole() const {
    if (!logical_) return false;
    const std::optional<UdfVolume> volume = Volume();
    return volume && std::all_of(volume->maps.begin(), volume->maps.end(), [&](const auto& map) {
             return partitions_.contains(map.partitionNumber);
           });
  }

  std::optional<UdfVolume> Volume() const {
    if (!logical_) return std::nullopt;
    const BlockReader::Block& lvd = logical_->block;
    if (Le32(lvd, 212) != BlockReader::kBlockBytes) return std::nullopt;
    UdfVolume volume;
    volume.label = UdfFieldToUtf8(std::span(lvd).subspan(84, 128));
    if (volume.label.empty() && primary_) {
      volume.label = UdfFieldToUtf8(std::span(primary_->block).subspan(24, 32));
    }
    volume.revision = Le16(lvd, 216 + 24);
    volume.fileSet = ParseLongAllocation(std::span(lvd).subspan(248, 16));
    ReadMaps(lvd, volume.maps);
    for (const auto& [number, kept] : partitions_) {
      volume.partitions.push_back({number, Le32(kept->block, 188), Le32(kept->block, 192)});
    }
    return volume;
  }

 private:
  struct Kept {
    uint32_t number = 0;
    BlockReader::Block block{};
  };

  static void Keep(std::optional<Kept>& kept, const BlockReader::Block& block, uint32_t number) {
    if (!kept || number > kept->number) kept = Kept{number, block};
  }

  static void ReadMaps(const BlockReader::Block& lvd, std::vector<UdfPartitionMap>& maps) {
    const std::span<const uint8_t> table =
        std::span(lvd).subspan(440, std::min<std::size_t>(Le32(lvd, 264), lvd.size() - 440));
    const uint32_t count = std::min(Le32(lvd, 268), kMaxPartitionMaps);
    for (std::size_t at = 0; maps.size() < count && at + 2 <= table.size();) {
      const uint8_t type = table[at];
      const uint8_t length = table[at + 1];
      if (length < 6 || at + length > table.size()) break;
      const auto map = table.subspan(at, length);
      at += length;
      if (type == 1) {
        UdfPartitionMap plain;
        plain.partitionNumber = Le16(map, 4);
        maps.push_back(plain);
      } else if (type == 2 && length >= 64) {
        maps.push_back(TypeTwoMap(map));
      } else {
        UdfPartitionMap unknown;  // kept, so that the others keep their numbers
        unknown.partitionNumber = 0xFFFF;
        maps.push_back(unknown);
      }
    }
  }

  static UdfPartitionMap TypeTwoMap(std::span<const uint8_t> map) {
    const std::string kind(reinterpret_cast<const char*>(map.data() + 5), 23);
    UdfPartitionMap read;
    read.partitionNumber = Le16(map, 38);
    if (kind.starts_with("*UDF Virtual Partition")) {
      read.kind = UdfPartitionMap::Kind::kVirtual;
    } else if (kind.starts_with("*UDF Sparable Partition")) {
      read.kind = UdfPartitionMap::Kind::kSparable;
      read.packetBlocks = Le16(map, 40);
      read.sparingTableBytes = Le32(map, 44);
      for (int i = 0; i < std::min(map[42], uint8_t{4}); ++i)
        read.sparingTables.push_back(Le32(map, 48 + 4 * i));
    } else if (kind.starts_with("*UDF Metadata Partition")) {
      read.kind = UdfPartitionMap::Kind::kMetadata;
      read.metadataFile = Le32(map, 40);
      read.metadataMirror = Le32(map, 44);
    } else {
      read.partitionNumber = 0xFFFF;
    }
    return read;
  }

  std::optional<Kept> primary_;
  std::optional<Kept> logical_;
  std::map<uint16_t, std::optional<Kept>> partitions_;
};

// Reads one descriptor sequence from `extent` on, following its pointers to further extents.
void ReadSequence(BlockReader& blocks, SequenceExtent extent, DescriptorSet& set) {
  std::set<uint32_t> seen;
  for (int hop = 0; hop < kMaxSequencePointers && seen.insert(extent.start).second; ++hop) {
    std::optional<SequenceExtent> next;
    const uint32_t count = std::min(extent.blocks, kMaxSequenceBlocks);
    for (uint32_t i = 0; i < count; ++i) {
      const uint32_t sector = extent.start + i;
      const BlockReader::Block* block = blocks.Read(sector);
      if (!block) continue;  // a bad sector ends no sequence: the next may still be read
      const auto id = static_cast<UdfTagId>(Le16(*block, 0));
      if (!IsUdfDescriptor(*block, id, sector) || id == UdfTagId::kTerminating) break;
      if (id == UdfTagId::kVolumePointer) {
        next = SequenceExtent{Le32(*block, 24), Le32(*block, 20) / BlockReader::kBlockBytes};
        break;
      }
      set.Take(*block, id);
    }
    if (!next) return;
    extent = *next;
  }
}

std::vector<uint64_t> AnchorPlaces(const BlockReader& blocks, std::span<const uint64_t> starts) {
  std::vector<uint64_t> places{kAnchorBlock};
  for (const uint64_t start : starts) places.push_back(start + kAnchorBlock);
  if (blocks.BlockCount() > 0) {
    const uint64_t last = blocks.BlockCount() - 1;
    places.push_back(last);
    if (last > kAnchorBlock) places.push_back(last - kAnchorBlock);
  }
  places.push_back(2 * kAnchorBlock);  // where a disc not yet closed may keep it
  return places;
}

}  // namespace

std::optional<UdfVolume> ReadUdfVolume(BlockReader& blocks, std::span<const uint64_t> trackStarts,
                                       std::vector<std::string>& problems) {
  if (RecognisedAsUdf(blocks) == false) return std::nullopt;
  DescriptorSet set;
  std::set<SequenceExtent> sequences;
  bool anchored = false;
  for (const uint64_t place : AnchorPlaces(blocks, trackStarts)) {
    const BlockReader::Block* read = blocks.Read(place);
    if (!read || !IsUdfDescriptor(*read, UdfTagId::kAnchor, static_cast<uint32_t>(place))) {
      continue;
    }
    const BlockReader::Block anchor = *read;
    anchored = true;
    // The main sequence, then its reserve copy, until one of them was whole.
    for (const std::size_t at : {16u, 24u}) {
      const SequenceExtent extent{Le32(anchor, at + 4),
                                  Le32(anchor, at) / BlockReader::kBlockBytes};
      if (!sequences.insert(extent).second) continue;
      ReadSequence(blocks, extent, set);
      if (set.Whole()) return set.Volume();
    }
  }
  if (anchored) problems.push_back("UDF: no copy of the volume's descriptors can be read whole");
  return set.Volume();
}

}  // namespace orlenta
