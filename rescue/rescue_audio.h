// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>

#include "image_rescue.h"
#include "platform/audio_tracks.h"

namespace orlenta {

// Writes the disc's audio track `track`, read from `read`, into the rescue's output folder
// as a run that goes on from earlier ones does, where the record tells what they wrote of it:
// - none wrote it: it is read whole into a new file;
// - one wrote it whole: it is not read again (kKept); a file changed or gone since is left
//   as it is (kChanged);
// - one wrote it with frames that did not read clean: those frames are read again and the
//   file mended in place while it still holds what the run wrote (kMended, kNoBetter); a
//   file changed since is left as it is, and the track read whole again beside it
//   ("Track 02.mended.wav", kMendedBeside).
// The record keeps the file that now holds the track. Returns the track as it stands.
AudioTrackResult RescueAudioTrack(ImageRescue& rescue, const DiscTrack& track,
                                  const AudioFrameReader& read);

// The tracks the record keeps whose files still hold what the runs wrote, by number.
std::map<int, AudioTrackResult> RecordedAudioTracks(const ImageRescue& rescue);

}  // namespace orlenta
