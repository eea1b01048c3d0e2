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

// The table an entry's data holds, when it is a virtual allocation table of either form.
std::optional<std::vector<uint32_t>> VirtualTableOf(UdfSpace& space, const UdfEntry& entry) {
  const bool newForm = entry.type == UdfEntry::kVirtualTable;
  if (!newForm && entry.type != UdfEntry::kUnspecified) return std::nullopt;
  uint32_t unreadable = 0;
  const std::vector<uint8_t> data = ReadUdfData(space, entry, kMaxTableBytes, unreadable);
  if (unreadable != 0) return std::nullopt;
  std::size_t first = 0;
  std::size_t end = data.size();
  if (newForm) {
    first = Le16(data, 0);
  } else {
    if (data.size() < kOldTableTrailer) return std::nullopt;
    end = data.size() - kOldTableTrailer;
    if (std::memcmp(data.data() + end + 1, kOldTableMark, sizeof kOldTableMark - 1) != 0)
      return std::nullopt;
  }
  std::vector<uint32_t> table;
  for (std::size_t at = first; at + 4 <= end; at += 4) table.push_back(Le32(data, at));
  return table;
}

void LoadVirtualTable(UdfSpace& space, uint16_t index, uint16_t base,
                      std::vector<std::string>& problems) {
  const uint64_t count = space.Blocks().BlockCount();
  const UdfPartitionExtent* partition = nullptr;
  for (const UdfPartitionExtent& extent : space.Volume().partitions) {
    if (extent.number == space.Volume().maps[base].partitionNumber) partition = &extent;
  }
  for (uint64_t back = 1; partition && back <= std::min(count, kVirtualTableSearch); ++back) {
    const uint64_t sector = count - back;
    if (sector < partition->start) break;
    const BlockReader::Block* block = space.Blocks().Read(sector);
    if (!block || (Le16(*block, 0) != static_cast<uint16_t>(UdfTagId::kFileEntry) &&
                   Le16(*block, 0) != static_cast<uint16_t>(UdfTagId::kExtendedFileEntry))) {
      continue;
    }
    const UdfAddress address{base, static_cast<uint32_t>(sector - partition->start)};
    const std::optional<UdfEntry> entry = ReadUdfEntry(space, address, kMaxTableRuns);
    if (!entry) continue;
    if (std::optional<std::vector<uint32_t>> table = VirtualTableOf(space, *entry)) {
      space.SetVirtualTable(index, std::move(*table));
      return;
    }
  }
  problems.push_back("UDF: the virtual allocation table cannot be found");
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

void LoadUdfTables(UdfSpace& space, std::vector<std::string>& problems) {
  const std::vector<UdfPartitionMap>& maps = space.Volume().maps;
  // The sparing tables first: the other tables may lie in spared packets.
  for (uint16_t i = 0; i < maps.size(); ++i) {
    if (maps[i].kind == Kind::kSparable) LoadSparing(space, i, maps[i], problems);
  }
  for (uint16_t i = 0; i < maps.size(); ++i) {
    const std::optional<uint16_t> base = space.BaseOf(i);
    if (!base) continue;
    if (maps[i].kind == Kind::kVirtual) LoadVirtualTable(space, i, *base, problems);
    if (maps[i].kind == Kind::kMetadata) LoadMetadata(space, i, *base, maps[i], problems);
  }
}

}  // namespace orlenta
