// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>

namespace orlenta {

// The bytes from a frame's start that MpegAudioCrcHolds may look at: the header, the CRC
// and the most side information or bit allocation any layer protects.
inline constexpr uint32_t kMpegAudioCrcBytes = 6 + 45;

// True when the CRC of the MPEG audio frame at `frame` checks out. The header (4 bytes,
// valid, its protection bit clear) is followed by the CRC and the bits it covers: the side
// information of layer III, the bit allocation of layer I, the bit allocation and scale
// factor selection of layer II. `size` is how many of the frame's bytes are at hand (at
// least its length or kMpegAudioCrcBytes, whichever is less); `bitRate` is the header's, in
// bits per second. Covered bits beyond `size` make the check fail.
bool MpegAudioCrcHolds(const uint8_t* frame, std::size_t size, uint32_t bitRate);

}  // namespace orlenta
