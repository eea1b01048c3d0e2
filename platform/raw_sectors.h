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
// then the mode's subheader, data and error correction.
inline constexpr uint32_t kRawSectorBytes = 2352;
inline constexpr uint32_t kSyncBytes = 12;
inline constexpr uint32_t kHeaderBytes = 16;    // sync and header
inline constexpr uint32_t kSubheaderBytes = 8;  // Mode 2: two copies of a 4-byte subheader

// Reads `into.size()` bytes at `offset` of an image; false when they cannot all be read.
using ImageReader = std::function<bool(uint64_t offset, std::span<uint8_t> into)>;

// True when `bytes` begin with the sync pattern 00 FF×10 00.
bool HasSyncPattern(std::span<const uint8_t> bytes);

// The sectors (of `count`) looked at to judge an image: the first 32 and 32 spread over the
// rest, so that neither a damaged start nor a damaged stretch decides alone.
std::vector<uint64_t> SampleSectors(uint64_t count);

// The layout of an image of `fileBytes` bytes when its sectors carry the sync pattern every
// 2,352 bytes; nullopt for a plain image. The framing is decided once for the whole image,
// by a majority of the sampled sectors, so a few damaged sectors are still read by position.
std::optional<SectorLayout> DetectRawImage(const ImageReader& read, uint64_t fileBytes);

// True when most sampled sectors of a Mode 2 track are Form 2. `subheaderAt` is where the
// subheader sits inside each sector of `stride` bytes (16 in a full raw sector).
bool MostlyForm2(const ImageReader& read, uint64_t firstByte, uint32_t stride, uint32_t subheaderAt,
                 uint64_t count);

// Sets where the data lie in each sector of `stride` bytes for `mode`, given where the
// mode's own bytes begin (kHeaderBytes in a full raw sector, 0 when the file leaves out sync
// and header).
void SetFraming(SectorLayout& layout, RawMode mode, uint32_t stride, uint32_t modeBytesAt);

}  // namespace orlenta
