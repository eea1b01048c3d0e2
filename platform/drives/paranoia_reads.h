// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

#include "platform/audio_tracks.h"
#include "platform/sector_layout.h"

namespace orlenta {

// How many times the error correction reads a stretch of audio again before it gives up on
// it (its own default).
inline constexpr int kParanoiaRetries = 20;

// Reads the frames of the audio track `track` from the drive at `path` with libcdio's
// paranoia: each stretch is read more than once with overlapping, shifted reads, and only
// samples that agree are kept, so that a drive's jitter and its misreads of a scratched disc
// are put right. A frame it could not verify after kParanoiaRetries tries is kept as it came
// back (silence where the drive gave nothing) and counted as not repaired. `readFailed`
// (when given) hears of every read of the drive that fails. An empty reader when libcdio
// cannot open the drive.
AudioFrameReader ParanoiaAudioReader(const std::string& path, const DiscTrack& track,
                                     std::function<void()> readFailed);

}  // namespace orlenta
