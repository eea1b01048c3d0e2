// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sector_layout.h"

namespace orlenta {

// The data bytes of one sector in `mode`: 2,324 for Mode 2 Form 2, else 2,048.
uint32_t DataBytesPerSector(RawMode mode);

// `data` as a raw image of 2,352-byte sectors in `mode`, as a CD drive reads them: sync,
// header with the sector's address, the subheader of Mode 2, the data (the last sector
// padded with zeros) and error-correction bytes. The correction bytes are filler, different
// in every sector, so that any of them reaching a recovered file shows.
std::vector<uint8_t> FrameRawSectors(const std::vector<uint8_t>& data, RawMode mode,
                                     uint64_t firstAddress = 0);

// `raw` with 96 bytes of subchannel data after each 2,352-byte sector, as some ripping
// tools keep them (2,448 bytes a sector).
std::vector<uint8_t> WithSubchannel(const std::vector<uint8_t>& raw);

// Spoils the sync pattern of raw sector `sector`, as a scratch or a ripping error would.
void DamageSync(std::vector<uint8_t>& raw, uint64_t sector);

// "MM:SS:FF" of a position in frames (75 per second), as a cue sheet writes it.
std::string CueTime(uint64_t frames);

}  // namespace orlenta
