// SPDX-License-Identifier: GPL-3.0-or-later
#include "iso_record.h"

#include <algorithm>
#include <vector>

#include "disc_time.h"

namespace orlenta {
namespace {

// A record's Rock Ridge entries may go on in continuation areas; a disc that chains more
// than this is damaged or hostile.
constexpr int kMaxContinuations = 16;
constexpr std::size_t kMaxNameBytes = 4096;

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

std::string Text(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The time a TF entry holds in its `wanted` slot (the flags tell which slots are there).
std::optional<int64_t> TimeStamp(std::span<const uint8_t> entry, uint8_t wanted) {
  if (entry.size() < 5) return std::nullopt;
  const uint8_t flags = entry[4];
  const std::size_t width = (flags & 0x80) != 0 ? 17 : 7;
  std::size_t at = 5;
  for (uint8_t bit = 1; bit < 0x80; bit <<= 1) {
    if ((flags & bit) == 0) continue;
    if (at + width > entry.size()) return std::nullopt;
    if (bit == wanted) {
      const auto stamp = entry.subspan(at, width);
      return width == 17 ? LongDiscTime(stamp) : ShortDiscTime(stamp);
    }
    at += width;
  }
  return std::nullopt;
}

// Appends the components of an SL entry to `target`.
void AddLinkComponents(std::span<const uint8_t> entry, std::string& target, bool& joinNext) {
  std::size_t at = 5;
  while (at + 2 <= entry.size()) {
    const uint8_t flags = entry[at];
    const uint8_t length = entry[at + 1];
    if (at + 2 + length > entry.size()) return;
    if (!joinNext && !target.empty() && target.back() != '/') target += '/';
    if ((flags & 0x08) != 0) {
      target.assign(1, '/');
    } else if ((flags & 0x02) != 0) {
      target += ".";
    } else if ((flags & 0x04) != 0) {
      target += "..";
    } else {
      target += Text(entry.subspan(at + 2, length));
    }
    joinNext = (flags & 0x01) != 0;
    at += 2 + length;
    if (target.size() > kMaxNameBytes) return;
  }
}

struct Continuation {
  uint32_t block = 0;
  uint32_t offset = 0;
  uint32_t length = 0;
};

// Reads the entries of one area into `entry`; returns where they go on, if anywhere.
std::optional<Continuation> ReadArea(std::span<const uint8_t> area, RockRidgeEntry& entry,
                                     bool& nameGoesOn, bool& linkGoesOn, bool& joinLink) {
  std::optional<Continuation> next;
  std::size_t at = 0;
  while (at + 4 <= area.size()) {
    const uint8_t length = area[at + 2];
    if (length < 4 || at + length > area.size()) break;
    const auto field = area.subspan(at, length);
    const std::string signature = Text(field.subspan(0, 2));
    if (signature == "ST") break;
    if (signature == "NM" && length >= 5 && (field[4] & 0x06) == 0) {
      std::string part = Text(field.subspan(5));
      if (!entry.name || !nameGoesOn) entry.name = std::string();
      if (entry.name->size() + part.size() <= kMaxNameBytes) *entry.name += part;
      nameGoesOn = (field[4] & 0x01) != 0;
    } else if (signature == "SL" && length >= 5) {
      if (!entry.linkTarget || !linkGoesOn) entry.linkTarget = std::string(), joinLink = false;
      AddLinkComponents(field, *entry.linkTarget, joinLink);
      linkGoesOn = (field[4] & 0x01) != 0;
    } else if (signature == "PX" && length >= 12) {
      entry.mode = Le32(field, 4);
    } else if (signature == "TF") {
      if (const auto modified = TimeStamp(field, 0x02)) entry.modified = modified;
    } else if (signature == "CL" && length >= 12) {
      entry.childLink = Le32(field, 4);
    } else if (signature == "RE") {
      entry.relocated = true;
    } else if (signature == "CE" && length >= 28) {
      next = Continuation{Le32(field, 4), Le32(field, 12), Le32(field, 20)};
    }
    at += length;
  }
  return next;
}

}  // namespace

uint32_t Le32(std::span<const uint8_t> bytes, std::size_t at) {
  if (at + 4 > bytes.size()) return 0;
  return bytes[at] | (uint32_t{bytes[at + 1]} << 8) | (uint32_t{bytes[at + 2]} << 16) |
         (uint32_t{bytes[at + 3]} << 24);
}

uint16_t Le16(std::span<const uint8_t> bytes, std::size_t at) {
  if (at + 2 > bytes.size()) return 0;
  return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::string Utf16BeToUtf8(std::span<const uint8_t> bytes) {
  std::string out;
  for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
    uint32_t code = (uint32_t{bytes[at]} << 8) | bytes[at + 1];
    if (code >= 0xD800 && code < 0xDC00 && at + 3 < bytes.size()) {
      const uint32_t low = (uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      }
    }
    // A lone surrogate has no UTF-8 form: it becomes a replacement character.
    if (code >= 0xD800 && code < 0xE000) code = 0xFFFD;
    AppendUtf8(out, code);
  }
  return out;
}

std::string WithoutVersion(std::string name) {
  if (const auto semicolon = name.rfind(';'); semicolon != std::string::npos) {
    name.erase(semicolon);
  }
  if (name.size() > 1 && name.back() == '.') name.pop_back();
  return name;
}

std::optional<IsoRecord> ParseIsoRecord(std::span<const uint8_t> bytes) {
  if (bytes.size() < 34) return std::nullopt;
  const uint8_t length = bytes[0];
  const uint8_t nameLength = bytes[32];
  if (length < 34 || length > bytes.size() || 33u + nameLength > length || nameLength == 0) {
    return std::nullopt;
  }
  IsoRecord record;
  record.extent = uint64_t{Le32(bytes, 2)} + bytes[1];
  record.size = Le32(bytes, 10);
  record.time = ShortDiscTime(bytes.subspan(18, 7));
  record.flags = bytes[25];
  record.unitBlocks = bytes[26];
  record.gapBlocks = bytes[27];
  record.identifier = Text(bytes.subspan(33, nameLength));
  const std::size_t systemUseAt = 33u + nameLength + (nameLength % 2 == 0 ? 1 : 0);
  if (systemUseAt < length) record.systemUse = bytes.subspan(systemUseAt, length - systemUseAt);
  return record;
}

std::optional<uint32_t> RockRidgeSkip(std::span<const uint8_t> systemUse) {
  if (systemUse.size() < 7 || systemUse[0] != 'S' || systemUse[1] != 'P' || systemUse[2] < 7 ||
      systemUse[4] != 0xBE || systemUse[5] != 0xEF) {
    return std::nullopt;
  }
  return systemUse[6];
}

RockRidgeEntry ReadRockRidge(std::span<const uint8_t> systemUse, uint32_t skip,
                             BlockReader& blocks) {
  RockRidgeEntry entry;
  if (skip >= systemUse.size()) return entry;
  bool nameGoesOn = false;
  bool linkGoesOn = false;
  bool joinLink = false;
  std::optional<Continuation> next =
      ReadArea(systemUse.subspan(skip), entry, nameGoesOn, linkGoesOn, joinLink);
  for (int followed = 0; next && followed < kMaxContinuations; ++followed) {
    const BlockReader::Block* block = blocks.Read(next->block);
    if (!block || next->offset >= block->size()) break;
    const std::size_t length = std::min<std::size_t>(next->length, block->size() - next->offset);
    // The block may be dropped by the next read; the area is copied first.
    const std::vector<uint8_t> area(block->begin() + next->offset,
                                    block->begin() + next->offset + length);
    next = ReadArea(area, entry, nameGoesOn, linkGoesOn, joinLink);
  }
  return entry;
}

}  // namespace orlenta
