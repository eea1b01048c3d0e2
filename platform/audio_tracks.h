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
  kSilence,     // the error correction never had the frame back from the drive: silence
  kUnread,      // no read gave the frame back: silence written in its place
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

  bool operator==(const FrameStretch&) const = default;
};

// What became of an audio track written as a WAV file.
struct AudioTrackResult {
  std::string path;           // the file written; "" when none could be created
  int errnum = 0;             // why it could not be written whole, 0 when it was
  uint64_t framesUnread = 0;  // frames that could not be read (kUnread), written as silence
  // Frames the reads gave back with errors left in them: kUnrepaired or kSilence.
  uint64_t framesUnrepaired = 0;
  std::vector<FrameStretch> frames;  // every frame written, in order
  // What a run that goes on from an earlier one did with the earlier run's file of the track.
  enum class Earlier : uint8_t {
    kNone,          // no earlier run wrote the track: it is read whole
    kKept,          // the earlier file holds every frame read clean: not read again
    kMended,        // its frames not read clean were read again, and some read better
    kNoBetter,      // they were read again, and none read better: the file is as it was
    kMendedBeside,  // it changed since: the track is read whole again beside it
    kChanged,       // it holds every frame, and changed since (or is gone): left alone
  };
  Earlier earlier = Earlier::kNone;

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

// The file of a track written earlier (`earlier`, at earlier.path) with those of its
// frames that did not read clean read again from `read`, each taken where it reads better
// now. The file is replaced in one step: the mended copy is written beside it and renamed
// over it, so that a failure leaves it as it was. Returns the track as it stands: `earlier`
// when no frame read better (the file untouched), with errnum set when the copy could not be
// written.
AudioTrackResult MendAudioTrack(const AudioTrackResult& earlier, const AudioFrameReader& read);

// As WriteAudioTrack, into a file named `name` (" (2)"… added when it is taken).
AudioTrackResult WriteAudioTrackAs(const std::string& folder, const std::string& name,
                                   uint64_t frames, const AudioFrameReader& read);

// Reads the frames of the audio track `track` of a cue sheet from its data file, in the
// byte order the sheet gives it.
AudioFrameReader ImageAudioReader(const DiscTrack& track);

}  // namespace orlenta
