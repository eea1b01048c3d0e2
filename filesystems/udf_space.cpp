// SPDX-License-Identifier: GPL-3.0-or-later
#include "udf_space.h"

#include <algorithm>

namespace orlenta {
namespace {
constexpr uint32_t kUnmapped = 0xFFFFFFFF;
// A run is told in steps of at most this many blocks, so that no one call costs much.
constexpr uint64_t kMaxRunBlocks = 1u << 20;
constexpr uint64_t kMaxVirtualRun = 4096;
}  // namespace

UdfSpace::UdfSpace(BlockReader& blocks, UdfVolume volume)
    : blocks_(blocks), volume_(std::move(volume)), states_(volume_.maps.size()) {
  using Kind = UdfPartitionMap::Kind;
  for (std::size_t i = 0; i < volume_.maps.size(); ++i) {
    const UdfPartitionMap& map = volume_.maps[i];
    for (std::size_t j = 0; j < volume_.maps.size(); ++j) {
      const UdfPartitionMap& other = volume_.maps[j];
      if (other.partitionNumber == map.partitionNumber &&
          (other.kind == Kind::kPhysical || other.kind == Kind::kSparable)) {
        states_[i].base = static_cast<uint16_t>(j);
        if (i == j) break;  // a plain map is its own base
      }
    }
  }
}

std::optional<uint16_t> UdfSpace::BaseOf(uint16_t map) const {
  return map < states_.size() ? states_[map].base : std::nullopt;
}

void UdfSpace::SetSpared(uint16_t map, std::map<uint32_t, uint32_t> spared) {
  if (map < states_.size()) states_[map].spared = std::move(spared);
}

void UdfSpace::SetVirtualTable(uint16_t map, std::vector<uint32_t> table) {
  if (map < states_.size()) states_[map].virtualTable = std::move(table);
}

void UdfSpace::SetMetadataFile(uint16_t map, std::vector<UdfAllocation> file, bool mirror) {
  if (map >= states_.size()) return;
  MapState& state = states_[map];
  const int copy = mirror ? 1 : 0;
  state.fileStarts[copy].clear();
  uint64_t start = 0;
  for (const UdfAllocation& run : file) {
    state.fileStarts[copy].push_back(start);
    start += run.length / BlockReader::kBlockBytes;
  }
  state.file[copy] = std::move(file);
}

std::optional<UdfSpace::Place> UdfSpace::Locate(UdfAddress address) const {
  return LocateIn(address, 0);
}

bool UdfSpace::Spend(uint64_t units) {
  spent_ = std::min(kWorkBudget, spent_ + units);
  return !Spent();
}

const BlockReader::Block* UdfSpace::Read(UdfAddress address) {
  if (!Spend(16)) return nullptr;
  for (int copy = 0; copy < 2; ++copy) {
    const std::optional<Place> place = LocateIn(address, copy);
    if (!place) continue;
    if (const BlockReader::Block* block = blocks_.Read(place->sector)) return block;
    const bool hasMirror =
        address.partition < states_.size() && !states_[address.partition].file[1].empty();
    if (!hasMirror) break;
  }
  return nullptr;
}

std::optional<UdfSpace::Place> UdfSpace::LocateIn(UdfAddress address, int copy) const {
  if (address.partition >= states_.size()) return std::nullopt;
  const MapState& state = states_[address.partition];
  const UdfPartitionMap& map = volume_.maps[address.partition];
  if (!state.base) return std::nullopt;
  switch (map.kind) {
    case UdfPartitionMap::Kind::kPhysical:
    case UdfPartitionMap::Kind::kSparable:
      return LocatePhysical(address.partition, address.block);
    case UdfPartitionMap::Kind::kVirtual: {
      const std::vector<uint32_t>& table = state.virtualTable;
      if (address.block >= table.size() || table[address.block] == kUnmapped) return std::nullopt;
      std::optional<Place> place = LocatePhysical(*state.base, table[address.block]);
      if (!place) return std::nullopt;
      uint64_t run = 1;
      while (run < std::min(place->run, kMaxVirtualRun) && address.block + run < table.size() &&
             table[address.block + run] == table[address.block] + run) {
        ++run;
      }
      place->run = run;
      return place;
    }
    case UdfPartitionMap::Kind::kMetadata:
      return LocateMetadata(state, *state.base, address.block, copy);
  }
  return std::nullopt;
}

std::optional<UdfSpace::Place> UdfSpace::LocatePhysical(uint16_t map, uint32_t block) const {
  const uint16_t number = volume_.maps[map].partitionNumber;
  const auto partition =
      std::find_if(volume_.partitions.begin(), volume_.partitions.end(),
                   [&](const UdfPartitionExtent& extent) { return extent.number == number; });
  if (partition == volume_.partitions.end()) return std::nullopt;
  const MapState& state = states_[map];
  const uint32_t packet = volume_.maps[map].packetBlocks;
  if (packet != 0 && !state.spared.empty()) {
    const uint32_t first = block - block % packet;
    const uint32_t into = block - first;
    if (const auto spare = state.spared.find(first); spare != state.spared.end()) {
      return Place{uint64_t{spare->second} + into, packet - into};
    }
    return Place{uint64_t{partition->start} + block, packet - into};
  }
  return Place{uint64_t{partition->start} + block, kMaxRunBlocks};
}

std::optional<UdfSpace::Place> UdfSpace::LocateMetadata(const MapState& state, uint16_t base,
                                                        uint32_t block, int copy) const {
  const std::vector<uint64_t>& starts = state.fileStarts[copy];
  const auto after = std::upper_bound(starts.begin(), starts.end(), uint64_t{block});
  if (after == starts.begin()) return std::nullopt;
  const std::size_t index = static_cast<std::size_t>(after - starts.begin()) - 1;
  const UdfAllocation& run = state.file[copy][index];
  const uint64_t into = block - starts[index];
  const uint64_t blocks = run.length / BlockReader::kBlockBytes;
  if (into >= blocks || run.kind != UdfAllocation::Kind::kRecorded) return std::nullopt;
  std::optional<Place> place = LocatePhysical(base, static_cast<uint32_t>(run.at.block + into));
  if (place) place->run = std::min(place->run, blocks - into);
  return place;
}

}  // namespace orlenta
