// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "sector_layout.h"

namespace orlenta {

// A CD sector as the drive reads it: 12 bytes of sync, a 4-byte header (address and mode),
// then the mode's subheader, data and error correction. Some ripping tools keep the 96
// bytes of subchannel data after each sector as well.
inline constexpr uint32_t kRawSectorBytes = 2352;
inline constexpr uint32_t kSubchannelSectorBytes = 2448;
inline constexpr uint32_t kSyncBytes = 12;
inline constexpr uint32_t kHeaderBytes = 16;    // sync and header
inline constexpr uint32_t kSubheaderBytes = 8;  // Mode 2: two copies of a 4-byte subheader
inline constexpr uint32_t kForm1Bytes = 2048;
inline constexpr uint32_t kForm2Bytes = 2324;

// Reads `into.size()` bytes at `offset` of an image; false when they cannot all be read.
using ImageReader = std::function<bool(uint64_t offset, std::span<uint8_t> into)>;

// True when `bytes` begin with the sync pattern 00 FF×10 00.
bool HasSyncPattern(std::span<const uint8_t> bytes);

// The sectors (of `count`) looked at to judge the modes of an image: the first 32 and 32
// spread over the rest, so that neither a damaged start nor a damaged stretch decides alone.
std::vector<uint64_t> SampleSectors(uint64_t count);

// What the first sectors of an image say about its framing.
enum class RawVerdict {
  kPlain,           // no sync pattern at the start: plain sectors
  kRaw,             // sync patterns with consecutive addresses, every 2,352 or 2,448 bytes
  kUnknownFraming,  // the first sector has a sync pattern, but no framing we read follows
};

struct RawImage {
  RawVerdict verdict = RawVerdict::kPlain;
  SectorLayout layout;  // for kRaw
};

// Judges an image of `fileBytes` bytes by its first 32 sectors: raw when at least half of
// them carry the sync pattern and addresses that count up from the first, every 2,352
// bytes or every 2,448 (with subchannel data). What lies further in never makes an image
// raw: a plain image may well hold a raw image as one of its files. With `forceRaw`, the
// image is raw whatever its start says, framed as most sampled sectors suggest.
RawImage JudgeRawImage(const ImageReader& read, uint64_t fileBytes, bool forceRaw);

// Frames `layout` as Mode 2 sectors of `stride` bytes whose subheader sits `modeBytesAt`
// bytes into each (kHeaderBytes after sync and header, 0 when the file leaves them out):
// every sector's form is read from its own subheader.
void SetMode2Framing(SectorLayout& layout, const ImageReader& read, uint32_t stride,
                     uint32_t modeBytesAt);

// Sets where the data lie in each sector of `stride` bytes for `mode`, given where the
// mode's own bytes begin (kHeaderBytes in a full raw sector, 0 when the file leaves out sync
// and header).
void SetFraming(SectorLayout& layout, RawMode mode, uint32_t stride, uint32_t modeBytesAt);

// Where a sector's data lie inside its framed sector, and how long they are.
struct SectorFraming {
  uint32_t dataAt = 0;
  uint32_t dataBytes = 0;
};

// The framing of the sector whose first bytes are `head` (at least FramingHeadBytes()) in
// an image of `layout`: fixed for most layouts; for kMode2 from the sector's own header and
// subheader, nullopt when they are too damaged to tell.
std::optional<SectorFraming> OwnFraming(const SectorLayout& layout, std::span<const uint8_t> head);

// How many bytes from the start of a framed sector OwnFraming looks at.
uint32_t FramingHeadBytes(const SectorLayout& layout);

// The framing a sector of `layout` has when its own head cannot tell.
SectorFraming DefaultFraming(const SectorLayout& layout);

}  // namespace orlenta
