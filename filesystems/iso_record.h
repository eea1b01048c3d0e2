// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "block_reader.h"

namespace orlenta {

// One directory record of an ISO 9660 directory, every field checked against the bytes.
struct IsoRecord {
  uint64_t extent = 0;  // first block of the data, after any extended attributes
  uint32_t size = 0;
  uint8_t flags = 0;
  uint8_t unitBlocks = 0;  // interleaved files: blocks in each unit, and
  uint8_t gapBlocks = 0;   // blocks skipped between units
  std::string identifier;  // the raw name bytes
  std::optional<int64_t> time;
  std::span<const uint8_t> systemUse;

  bool IsDirectory() const { return (flags & 0x02) != 0; }
  bool IsAssociated() const { return (flags & 0x04) != 0; }
  bool ContinuesInNext() const { return (flags & 0x80) != 0; }
  bool IsSelf() const { return identifier.size() == 1 && identifier[0] == '\0'; }
  bool IsParent() const { return identifier.size() == 1 && identifier[0] == '\1'; }
};

// The record at the start of `bytes` (which end where its block ends); nullopt when its
// length or name does not fit.
std::optional<IsoRecord> ParseIsoRecord(std::span<const uint8_t> bytes);

// What a record's Rock Ridge entries say.
struct RockRidgeEntry {
  std::optional<std::string> name;
  std::optional<std::string> linkTarget;
  std::optional<uint32_t> mode;
  std::optional<int64_t> modified;
  std::optional<uint32_t> childLink;  // a directory moved elsewhere: its real place
  bool relocated = false;             // the moved directory itself, listed through its link
};

// The Rock Ridge entries of a record's system use area, `skip` bytes in, following
// continuation areas (a few at most) through `blocks`.
RockRidgeEntry ReadRockRidge(std::span<const uint8_t> systemUse, uint32_t skip,
                             BlockReader& blocks);

// The number of bytes to skip at the start of every system use area when the root's own
// record (`systemUse` of its "." entry) says the disc carries Rock Ridge; nullopt when not.
std::optional<uint32_t> RockRidgeSkip(std::span<const uint8_t> systemUse);

// Little-endian and big-endian fields of a descriptor or record.
uint32_t Le32(std::span<const uint8_t> bytes, std::size_t at);
uint16_t Le16(std::span<const uint8_t> bytes, std::size_t at);

// A Joliet name (UCS-2 or UTF-16, big-endian) in UTF-8.
std::string Utf16BeToUtf8(std::span<const uint8_t> bytes);

// A name as ISO 9660 or Joliet spell it, without its ";1" version and a bare trailing dot.
std::string WithoutVersion(std::string name);

}  // namespace orlenta
