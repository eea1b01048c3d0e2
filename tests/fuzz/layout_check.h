// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "engine/volume.h"
#include "fuzz_check.h"
#include "platform/raw_sectors.h"
#include "platform/sector_layout.h"

namespace orlenta {

// Where the data of a framed sector lie, as a CD sector's own bytes say it: in an image
// mixing forms, a sector with sync and a Mode 1 header holds 2,048 bytes after the header;
// one whose two subheader copies agree holds its form's bytes after the subheader. nullopt
// when its bytes do not say (damaged), or the layout frames every sector alike.
inline std::optional<SectorFraming> FramingTheSectorStates(const SectorLayout& layout,
                                                           std::span<const uint8_t> framed) {
  if (layout.rawMode != RawMode::kMode2) return std::nullopt;
  const uint32_t subheaderAt = layout.dataOffset - kSubheaderBytes;
  if (subheaderAt >= kHeaderBytes && HasSyncPattern(framed)) {
    if (framed[15] == 1) return SectorFraming{kHeaderBytes, kForm1Bytes};
    if (framed[15] != 2) return std::nullopt;
  }
  const uint8_t* subheader = framed.data() + subheaderAt;
  if (std::memcmp(subheader, subheader + 4, 4) != 0) return std::nullopt;
  return SectorFraming{layout.dataOffset, (subheader[2] & 0x20) != 0 ? kForm2Bytes : kForm1Bytes};
}

// True when the `data` bytes of `sector` are the bytes at one of the places a sector of
// `layout` may hold its data: where the layout puts it, or after the header for a Mode 1
// sector among Mode 2 ones.
inline bool ReadsAsDataOfItsFrame(const SectorLayout& layout, const uint8_t* sector,
                                  std::span<const uint8_t> framed, uint32_t data) {
  const auto readsFrom = [&](uint32_t at) {
    return at + data <= framed.size() && std::memcmp(sector, framed.data() + at, data) == 0;
  };
  if (readsFrom(layout.dataOffset)) return true;
  return layout.rawMode == RawMode::kMode2 && layout.dataOffset >= kHeaderBytes + kSubheaderBytes &&
         data == kForm1Bytes && readsFrom(kHeaderBytes);
}

// Every byte of `volume`, read in pieces of `piece` bytes, and what SectorDataBytes says of
// each sector right after the read that placed it, as a carver asks.
struct VolumeRead {
  std::vector<uint8_t> bytes;
  std::vector<uint32_t> dataBytes;
};

inline VolumeRead ReadWhole(Volume& volume, uint64_t piece) {
  const uint32_t size = volume.SectorSize();
  const uint64_t total = volume.SectorCount() * size;
  VolumeRead read;
  for (uint64_t at = 0; at < total; at += piece) {
    std::vector<uint8_t> buffer(std::min(piece, total - at));
    Require(volume.ReadAt(at, buffer) == static_cast<int64_t>(buffer.size()),
            "every byte of the volume can be read");
    read.bytes.insert(read.bytes.end(), buffer.begin(), buffer.end());
    for (uint64_t s = read.dataBytes.size(); s < (at + buffer.size() + size - 1) / size; ++s) {
      read.dataBytes.push_back(volume.SectorDataBytes(s));
    }
  }
  return read;
}

// What must hold of any layout found for `file`, and of the volumes `volumes` (each over the
// file through that layout): the layout never reaches past the file; every sector's data are
// as long as a form allows, lie in its frame, and are followed by zeros up to the volume's
// sector size; a sector reads the same however the reads cut the volume (whole sectors,
// pieces across sectors, everything at once), and SectorDataBytes says the same of it before
// and after; nothing is read past the last sector.
inline void CheckLayoutReads(Volume& fresh, Volume& reread, const SectorLayout& layout,
                             std::span<const uint8_t> file, uint64_t piece) {
  Require(layout.sectorSize == kForm1Bytes || layout.sectorSize == kForm2Bytes,
          "a sector holds what a form allows");
  Require(layout.dataOffset + layout.sectorSize <= layout.stride, "the data lie in the frame");
  Require(fresh.SectorSize() == layout.sectorSize && fresh.SectorCount() == layout.sectorCount,
          "the volume's sectors are the layout's");
  Require(layout.firstByte <= file.size() &&
              layout.sectorCount <= (file.size() - layout.firstByte) / layout.stride,
          "the layout never reaches past the file");
  std::vector<uint32_t> told(layout.sectorCount);
  for (uint64_t s = 0; s < layout.sectorCount; ++s) told[s] = fresh.SectorDataBytes(s);
  const VolumeRead bySector = ReadWhole(fresh, layout.sectorSize);
  const VolumeRead inPieces = ReadWhole(reread, piece);
  const VolumeRead atOnce =
      ReadWhole(reread, std::max<uint64_t>(1, layout.sectorCount * layout.sectorSize));
  Require(inPieces.bytes == bySector.bytes && atOnce.bytes == bySector.bytes,
          "a sector reads the same however the reads cut the volume");
  Require(bySector.dataBytes == told && inPieces.dataBytes == told && atOnce.dataBytes == told,
          "a sector's data bytes are the same whichever read placed it");
  for (uint64_t s = 0; s < layout.sectorCount; ++s) {
    const uint32_t data = told[s];
    Require(data == kForm1Bytes || data == kForm2Bytes, "a sector's data fill a form");
    Require(data <= layout.sectorSize, "a sector's data fit the volume's sectors");
    const uint8_t* sector = bySector.bytes.data() + s * layout.sectorSize;
    Require(
        std::all_of(sector + data, sector + layout.sectorSize, [](uint8_t b) { return b == 0; }),
        "the rest of a shorter sector is zeros");
    const auto framed = file.subspan(layout.firstByte + s * layout.stride, layout.stride);
    Require(ReadsAsDataOfItsFrame(layout, sector, framed, data),
            "a sector reads as data bytes of its own frame");
    if (const auto stated = FramingTheSectorStates(layout, framed)) {
      Require(stated->dataBytes == data &&
                  std::memcmp(sector, framed.data() + stated->dataAt, data) == 0,
              "a sector whose own bytes state its form reads as that form's data");
    }
  }
  uint8_t past[16];
  Require(fresh.ReadAt(layout.sectorCount * layout.sectorSize, past) == -1,
          "nothing is read past the last sector");
}

}  // namespace orlenta
