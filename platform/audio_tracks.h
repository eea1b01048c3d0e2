// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "sector_layout.h"

namespace orlenta {

// One audio frame of a CD: 1/75 s of 44.1 kHz 16-bit stereo samples.
inline constexpr uint32_t kAudioFrameBytes = 2352;

// What a frame written into a track's WAV file holds.
enum class FrameState : uint8_t {
  kRead,        // the disc's samples, as far as the reads could tell
  kUnrepaired,  // samples read with errors the reads could not put right
  kSilence,     // nothing came back from the disc: silence in its place
};

// Reads `count` frames of a track from its frame `first` into `into` (count × 2,352 bytes)
// as little-endian samples, and what each holds into `states` (count entries). False when
// they could not be read at all.
using AudioFrameReader = std::function<bool(uint64_t first, uint32_t count, std::span<uint8_t> into,
                                            std::span<FrameState> states)>;

// Frames in a row of a track that hold the same.
struct FrameStretch {
  uint64_t first = 0;  // the track's frame
  uint64_t count = 0;
  FrameState state = FrameState::kRead;
};

// What became of an audio track written as a WAV file.
struct AudioTrackResult {
  std::string path;           // the file written; "" when none could be created
  int errnum = 0;             // why it could not be written whole, 0 when it was
  uint64_t framesUnread = 0;  // frames that could not be read, written as silence
  // Frames the reads gave back with errors left in them: kUnrepaired, or kSilence where the
  // error correction never had the frame back from the drive.
  uint64_t framesUnrepaired = 0;
  std::vector<FrameStretch> frames;  // every frame written, in order

  // The offset in the file of the track's frame `frame`: its samples follow the header.
  static uint64_t FileOffset(uint64_t frame);
};

// "Track 01.wav", or "Track 01 - Title.wav" with the track's title (characters that cannot
// stand in a file name replaced by '_').
std::string AudioTrackFileName(int number, const std::string& title);

// Writes `frames` frames from `read` as a WAV file (44.1 kHz, 16-bit, stereo) named for the
// track in `folder`, never over an existing file: a taken name gets " (2)", " (3)"… before
// its extension.
AudioTrackResult WriteAudioTrack(const std::string& folder, int number, const std::string& title,
                                 uint64_t frames, const AudioFrameReader& read);

// Reads the frames of the audio track `track` of a cue sheet from its data file, in the
// byte order the sheet gives it.
AudioFrameReader ImageAudioReader(const DiscTrack& track);

}  // namespace orlenta
