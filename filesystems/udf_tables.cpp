// SPDX-License-Identifier: GPL-3.0-or-later
#include "udf_tables.h"

#include <algorithm>
#include <cstring>

#include "iso_record.h"
#include "udf_entry.h"

namespace orlenta {
namespace {

using Kind = UdfPartitionMap::Kind;

// The virtual allocation table is the last thing written; a drive may report a few blocks
// more than were written.
constexpr uint64_t kVirtualTableSearch = 64;
constexpr uint64_t kMaxTableBytes = 64u << 20;
constexpr uint32_t kMaxTableRuns = 4096;
constexpr std::size_t kSparingEntries = 56;
constexpr uint32_t kFirstFreeEntry = 0xFFFFFFF0;
constexpr char kOldTableMark[] = "*UDF Virtual Alloc Tbl";
constexpr std::size_t kOldTableTrailer = 36;
constexpr std::size_t kPreviousInHeader = 132;
constexpr std::size_t kPreviousInTrailer = 32;
constexpr uint32_t kNoPrevious = 0xFFFFFFFF;

void LoadSparing(UdfSpace& space, uint16_t index, const UdfPartitionMap& map,
                 std::vector<std::string>& problems) {
  const uint64_t blocks =
      std::min<uint64_t>(map.sparingTableBytes, 1u << 20) / BlockReader::kBlockBytes + 1;
  for (const uint32_t sector : map.sparingTables) {
    std::vector<uint8_t> table;
    for (uint64_t i = 0; i < blocks; ++i) {
      const BlockReader::Block* block = space.Blocks().Read(sector + i);
      if (!block) break;
      table.insert(table.end(), block->begin(), block->end());
    }
    if (table.size() < kSparingEntries ||
        std::memcmp(table.data() + 17, "*UDF Sparing Table", 18) != 0) {
      continue;
    }
    std::map<uint32_t, uint32_t> spared;
    const std::size_t entries = Le16(table, 48);
    for (std::size_t i = 0; i < entries; ++i) {
      const std::size_t at = kSparingEntries + 8 * i;
      if (at + 8 > table.size()) break;
      const uint32_t original = Le32(table, at);
      if (original < kFirstFreeEntry) spared[original] = Le32(table, at + 4);
    }
    space.SetSpared(index, std::move(spared));
    return;
  }
  problems.push_back("UDF: no copy of the sparing table can be read; spared packets are lost");
}

struct VirtualTable {
  std::vector<uint32_t> table;
  uint32_t previous = kNoPrevious;  // the entry of the table written before it, if any
};

// The table an entry's data holds, when it is a virtual allocation table of either form.
std::optional<VirtualTable> VirtualTableOf(UdfSpace& space, const UdfEntry& entry) {
  const bool newForm = entry.type == UdfEntry::kVirtualTable;
  if (!newForm && entry.type != UdfEntry::kUnspecified) return std::nullopt;
  uint32_t unreadable = 0;
  const std::vector<uint8_t> data = ReadUdfData(space, entry, kMaxTableBytes, unreadable);
  if (unreadable != 0) return std::nullopt;
  std::size_t first = 0;
  std::size_t end = data.size();
  VirtualTable read;
  if (newForm) {
    first = Le16(data, 0);
    if (data.size() >= kPreviousInHeader + 4) read.previous = Le32(data, kPreviousInHeader);
  } else {
    if (data.size() < kOldTableTrailer) return std::nullopt;
    end = data.size() - kOldTableTrailer;
    if (std::memcmp(data.data() + end + 1, kOldTableMark, sizeof kOldTableMark - 1) != 0)
      return std::nullopt;
    read.previous = Le32(data, end + kPreviousInTrailer);
  }
  for (std::size_t at = first; at + 4 <= end; at += 4) read.table.push_back(Le32(data, at));
  return read;
}

const UdfPartitionExtent* PartitionOf(const UdfSpace& space, uint16_t map) {
  for (const UdfPartitionExtent& extent : space.Volume().partitions) {
    if (extent.number == space.Volume().maps[map].partitionNumber) return &extent;
  }
  return nullptr;
}

// The virtual allocation table whose entry is in `sector`, if there is one.
std::optional<VirtualTable> VirtualTableAt(UdfSpace& space, uint16_t base, uint64_t sector) {
  const UdfPartitionExtent* partition = PartitionOf(space, base);
  if (!partition || sector < partition->start || sector >= space.Blocks().BlockCount())
    return std::nullopt;
  const BlockReader::Block* block = space.Blocks().Read(sector);
  if (!block || (Le16(*block, 0) != static_cast<uint16_t>(UdfTagId::kFileEntry) &&
                 Le16(*block, 0) != static_cast<uint16_t>(UdfTagId::kExtendedFileEntry))) {
    return std::nullopt;
  }
  const UdfAddress address{base, static_cast<uint32_t>(sector - partition->start)};
  const std::optional<UdfEntry> entry = ReadUdfEntry(space, address, kMaxTableRuns);
  if (!entry) return std::nullopt;
  return VirtualTableOf(space, *entry);
}

std::optional<UdfTableChain> LoadVirtualTable(UdfSpace& space, uint16_t index, uint16_t base,
                                              std::vector<std::string>& problems) {
  const uint64_t count = space.Blocks().BlockCount();
  for (uint64_t back = 1; back <= std::min(count, kVirtualTableSearch); ++back) {
    const uint64_t sector = count - back;
    if (std::optional<VirtualTable> read = VirtualTableAt(space, base, sector)) {
      space.SetVirtualTable(index, std::move(read->table));
      return UdfTableChain{index, base, sector, read->previous};
    }
  }
  problems.push_back("UDF: the virtual allocation table cannot be found");
  return std::nullopt;
}

void LoadMetadata(UdfSpace& space, uint16_t index, uint16_t base, const UdfPartitionMap& map,
                  std::vector<std::string>& problems) {
  bool any = false;
  for (const bool mirror : {false, true}) {
    const uint32_t block = mirror ? map.metadataMirror : map.metadataFile;
    const std::optional<UdfEntry> entry = ReadUdfEntry(space, {base, block}, kMaxTableRuns);
    const uint8_t type = mirror ? UdfEntry::kMetadataMirror : UdfEntry::kMetadataFile;
    if (!entry || entry->type != type || entry->embedded) continue;
    space.SetMetadataFile(index, entry->runs, mirror);
    any = true;
  }
  if (!any) problems.push_back("UDF: neither the metadata file nor its mirror can be read");
}

}  // namespace

std::optional<UdfTableChain> LoadUdfTables(UdfSpace& space, std::vector<std::string>& problems) {
  std::optional<UdfTableChain> chain;
  const std::vector<UdfPartitionMap>& maps = space.Volume().maps;
  // The sparing tables first: the other tables may lie in spared packets.
  for (uint16_t i = 0; i < maps.size(); ++i) {
    if (maps[i].kind == Kind::kSparable) LoadSparing(space, i, maps[i], problems);
  }
  for (uint16_t i = 0; i < maps.size(); ++i) {
    const std::optional<uint16_t> base = space.BaseOf(i);
    if (!base) continue;
    if (maps[i].kind == Kind::kVirtual && !chain)
      chain = LoadVirtualTable(space, i, *base, problems);
    if (maps[i].kind == Kind::kMetadata) LoadMetadata(space, i, *base, maps[i], problems);
  }
  return chain;
}

bool LoadOlderVirtualTable(UdfSpace& space, UdfTableChain& chain) {
  if (chain.previous == kNoPrevious) return false;
  const UdfPartitionExtent* partition = PartitionOf(space, chain.base);
  if (!partition) return false;
  // A block of the partition the table lies on; read as a sector of the volume too, as some
  // writers record it. Only a table written before this one is taken, so the walk back ends.
  for (const uint64_t sector :
       {uint64_t{partition->start} + chain.previous, uint64_t{chain.previous}}) {
    if (sector >= chain.sector) continue;
    if (std::optional<VirtualTable> read = VirtualTableAt(space, chain.base, sector)) {
      space.SetVirtualTable(chain.map, std::move(read->table));
      chain.sector = sector;
      chain.previous = read->previous;
      return true;
    }
  }
  return false;
}

}  // namespace orlenta
