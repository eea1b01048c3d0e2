// SPDX-License-Identifier: GPL-3.0-or-later
#include "udf_entry.h"

#include <algorithm>
#include <set>

#include "disc_time.h"
#include "iso_record.h"

namespace orlenta {
namespace {

constexpr int kMaxIndirections = 32;
constexpr std::size_t kMaxExtentHops = 1024;
constexpr uint16_t kStrategyOfReplacedEntries = 4096;

enum class Form : uint8_t { kShort = 0, kLong = 1, kExtended = 2, kEmbedded = 3 };

std::size_t DescriptorBytes(Form form) {
  return form == Form::kShort ? 8 : form == Form::kLong ? 16 : 20;
}

UdfAllocation ParseAllocation(std::span<const uint8_t> bytes, Form form, uint16_t partition) {
  if (form == Form::kLong) return ParseLongAllocation(bytes);
  const uint32_t length = Le32(bytes, 0);
  const auto kind = static_cast<UdfAllocation::Kind>(length >> 30);
  if (form == Form::kShort) return {length & 0x3FFFFFFF, kind, {partition, Le32(bytes, 4)}};
  return {length & 0x3FFFFFFF, kind, {Le16(bytes, 16), Le32(bytes, 12)}};  // extended
}

// Appends the runs `bytes` hold; returns the allocation extent they continue in, if any.
std::optional<UdfAllocation> AppendRuns(std::span<const uint8_t> bytes, Form form,
                                        uint16_t partition, uint32_t maxRuns, UdfEntry& entry) {
  const std::size_t step = DescriptorBytes(form);
  for (std::size_t at = 0; at + step <= bytes.size(); at += step) {
    const UdfAllocation run = ParseAllocation(bytes.subspan(at, step), form, partition);
    if (run.length == 0) break;
    if (run.kind == UdfAllocation::Kind::kContinued) return run;
    if (entry.runs.size() >= maxRuns) {
      entry.runsCut = true;
      return std::nullopt;
    }
    entry.runs.push_back(run);
  }
  return std::nullopt;
}

// Follows the chain of allocation extents from `next` on.
void FollowExtents(UdfSpace& space, std::optional<UdfAllocation> next, Form form, uint32_t maxRuns,
                   UdfEntry& entry) {
  std::set<std::pair<uint16_t, uint32_t>> seen;
  while (next) {
    if (seen.size() >= kMaxExtentHops ||
        !seen.insert({next->at.partition, next->at.block}).second) {
      entry.runsCut = true;
      return;
    }
    const BlockReader::Block* block = space.Read(next->at);
    if (!block || !IsUdfDescriptor(*block, UdfTagId::kAllocationExtent, next->at.block)) {
      entry.runsCut = true;
      return;
    }
    const BlockReader::Block copy = *block;
    const uint32_t length =
        std::min<uint32_t>({Le32(copy, 20), next->length, BlockReader::kBlockBytes - 24});
    next =
        AppendRuns(std::span(copy).subspan(24, length), form, next->at.partition, maxRuns, entry);
  }
}

std::optional<UdfEntry> ParseEntry(UdfSpace& space, const BlockReader::Block& block,
                                   UdfAddress address, bool extended, uint32_t maxRuns) {
  const std::span<const uint8_t> bytes(block);
  UdfEntry entry;
  entry.type = bytes[16 + 11];
  entry.size = Le64(bytes, 56);
  const std::size_t base = extended ? 216 : 176;
  entry.mtime = UdfDiscTime(bytes.subspan(extended ? 92 : 84, 12));
  entry.uniqueId = Le64(bytes, extended ? 200 : 160);
  const uint32_t attributes = Le32(bytes, base - 8);
  const uint32_t allocations = Le32(bytes, base - 4);
  if (attributes > bytes.size() - base || allocations > bytes.size() - base - attributes) {
    return std::nullopt;
  }
  const auto area = bytes.subspan(base + attributes, allocations);
  const auto form = static_cast<Form>(Le16(bytes, 16 + 18) & 0x07);
  if (form == Form::kEmbedded) {
    const std::optional<UdfSpace::Place> place = space.Locate(address);
    if (!place) return std::nullopt;
    const uint64_t length = std::min<uint64_t>(area.size(), entry.size);
    entry.embedded =
        FileExtent{place->sector * BlockReader::kBlockBytes + base + attributes, length};
    entry.embeddedBytes.assign(area.begin(), area.begin() + static_cast<std::ptrdiff_t>(length));
    return entry;
  }
  if (form > Form::kExtended) return std::nullopt;
  FollowExtents(space, AppendRuns(area, form, address.partition, maxRuns, entry), form, maxRuns,
                entry);
  return entry;
}

// Where the indirect entry at `address` points; nullopt when there is none.
std::optional<UdfAddress> IndirectAt(UdfSpace& space, UdfAddress address) {
  const BlockReader::Block* block = space.Read(address);
  if (!block || !IsUdfDescriptor(*block, UdfTagId::kIndirectEntry, address.block)) {
    return std::nullopt;
  }
  return ParseLongAllocation(std::span(*block).subspan(36, 16)).at;
}

}  // namespace

std::optional<UdfEntry> ReadUdfEntry(UdfSpace& space, UdfAddress address, uint32_t maxRuns) {
  for (int hop = 0; hop < kMaxIndirections; ++hop) {
    const BlockReader::Block* read = space.Read(address);
    if (!read) return std::nullopt;
    const BlockReader::Block block = *read;
    const bool plain = IsUdfDescriptor(block, UdfTagId::kFileEntry, address.block);
    if (plain || IsUdfDescriptor(block, UdfTagId::kExtendedFileEntry, address.block)) {
      // An entry written in place of another (a disc written in packets cannot overwrite
      // it) is named by an indirect entry in the block after the first.
      if (Le16(block, 16 + 4) == kStrategyOfReplacedEntries) {
        if (const std::optional<UdfAddress> newer =
                IndirectAt(space, {address.partition, address.block + 1})) {
          address = *newer;
          continue;
        }
      }
      return ParseEntry(space, block, address, !plain, maxRuns);
    }
    const std::optional<UdfAddress> next = IndirectAt(space, address);
    if (!next) return std::nullopt;
    address = *next;
  }
  return std::nullopt;
}

UdfExtents UdfDataExtents(UdfSpace& space, const UdfEntry& entry, uint32_t maxExtents) {
  UdfExtents result;
  if (entry.embedded) {
    if (entry.embedded->length != 0) result.extents.push_back(*entry.embedded);
    result.cut = entry.embedded->length < entry.size;
    return result;
  }
  uint64_t wanted = entry.size;
  uint64_t placed = 0;
  result.cut = entry.runsCut;
  for (const UdfAllocation& run : entry.runs) {
    if (wanted == 0) break;
    if (run.kind != UdfAllocation::Kind::kRecorded) {
      result.cut = true;  // a hole, or space kept for data never written
      return result;
    }
    uint64_t left = std::min<uint64_t>(run.length, wanted);
    wanted -= left;
    for (uint32_t block = run.at.block; left > 0;) {
      // A file holds no more than the volume does.
      const bool believable = placed < space.Blocks().LogicalBytes() && space.Spend(1);
      const std::optional<UdfSpace::Place> place =
          believable ? space.Locate({run.at.partition, block}) : std::nullopt;
      if (!place) {
        result.cut = true;
        return result;
      }
      const uint64_t bytes = std::min(left, place->run * BlockReader::kBlockBytes);
      const uint64_t offset = place->sector * BlockReader::kBlockBytes;
      FileExtent* last = result.extents.empty() ? nullptr : &result.extents.back();
      if (last && last->offset + last->length == offset) {
        last->length += bytes;
      } else if (result.extents.size() >= maxExtents) {
        result.cut = true;
        return result;
      } else {
        result.extents.push_back({offset, bytes});
      }
      left -= bytes;
      placed += bytes;
      block += static_cast<uint32_t>(place->run);
    }
  }
  result.cut = result.cut || wanted != 0;
  return result;
}

std::vector<uint8_t> ReadUdfData(UdfSpace& space, const UdfEntry& entry, uint64_t maxBytes,
                                 uint32_t& unreadableBlocks) {
  if (entry.embedded) {
    return {entry.embeddedBytes.begin(),
            entry.embeddedBytes.begin() + static_cast<std::ptrdiff_t>(std::min<uint64_t>(
                                              maxBytes, entry.embeddedBytes.size()))};
  }
  std::vector<uint8_t> data;
  uint64_t wanted = std::min(entry.size, maxBytes);
  for (const UdfAllocation& run : entry.runs) {
    if (wanted == 0 || run.kind != UdfAllocation::Kind::kRecorded) break;
    const uint64_t take = std::min<uint64_t>(run.length, wanted);
    for (uint64_t done = 0; done < take; done += BlockReader::kBlockBytes) {
      const auto block = static_cast<uint32_t>(run.at.block + done / BlockReader::kBlockBytes);
      const std::size_t part = std::min<uint64_t>(BlockReader::kBlockBytes, take - done);
      const BlockReader::Block* read = space.Read({run.at.partition, block});
      if (read) {
        data.insert(data.end(), read->begin(), read->begin() + static_cast<std::ptrdiff_t>(part));
      } else {
        ++unreadableBlocks;
        data.resize(data.size() + part, 0);
      }
    }
    wanted -= take;
  }
  return data;
}

}  // namespace orlenta
