// SPDX-License-Identifier: GPL-3.0-or-later
#include "rescue_audio.h"

#include <filesystem>
#include <optional>

namespace orlenta {
namespace {

namespace fs = std::filesystem;
using Earlier = AudioTrackResult::Earlier;

// The track as the record keeps it, its file in `folder`.
AudioTrackResult ResultOf(const RecordedTrack& recorded, const std::string& folder) {
  AudioTrackResult result;
  result.path = (fs::path(folder) / recorded.name).string();
  uint64_t next = 0;
  const auto add = [&result, &next](FrameStretch stretch) {
    if (stretch.count == 0) return;
    result.frames.push_back(stretch);
    next = stretch.first + stretch.count;
  };
  for (const FrameStretch& damaged : recorded.damaged) {
    add({next, damaged.first - next, FrameState::kRead});
    add(damaged);
    (damaged.state == FrameState::kUnread ? result.framesUnread : result.framesUnrepaired) +=
        damaged.count;
  }
  add({next, recorded.frames - next, FrameState::kRead});
  return result;
}

// The record's entry for track `number` written as `result`; nullopt when it was not written
// whole, or cannot be read back.
std::optional<RecordedTrack> RecordOf(int number, const AudioTrackResult& result) {
  if (result.errnum != 0 || result.path.empty()) return std::nullopt;
  const std::optional<std::string> sha256 = FileSha256(result.path);
  if (!sha256) return std::nullopt;
  RecordedTrack track{number, fs::path(result.path).filename().string(), *sha256, 0, {}};
  for (const FrameStretch& stretch : result.frames) {
    track.frames = stretch.first + stretch.count;
    if (stretch.state != FrameState::kRead) track.damaged.push_back(stretch);
  }
  return track;
}

// The name of a mended copy beside the file `name`: "Track 02.mended.wav".
std::string MendedName(const std::string& name) {
  const fs::path original(name);
  return original.stem().string() + ".mended" + original.extension().string();
}

const RecordedTrack* Recorded(const ImageRescue& rescue, const DiscTrack& track) {
  for (const RecordedTrack& recorded : rescue.Tracks()) {
    if (recorded.number == track.number && recorded.frames == track.sectorCount) return &recorded;
  }
  return nullptr;
}

bool StillAsWritten(const AudioTrackResult& track, const RecordedTrack& recorded) {
  return FileSha256(track.path) == recorded.sha256;
}

}  // namespace

AudioTrackResult RescueAudioTrack(ImageRescue& rescue, const DiscTrack& track,
                                  const AudioFrameReader& read) {
  const std::string& folder = rescue.Plan().folder;
  const RecordedTrack* recorded = Recorded(rescue, track);
  AudioTrackResult result;
  if (!recorded) {
    result = WriteAudioTrack(folder, track.number, track.title, track.sectorCount, read);
  } else {
    AudioTrackResult earlier = ResultOf(*recorded, folder);
    const bool asWritten = StillAsWritten(earlier, *recorded);
    if (recorded->damaged.empty()) {
      earlier.earlier = asWritten ? Earlier::kKept : Earlier::kChanged;
      return earlier;
    }
    if (asWritten) {
      result = MendAudioTrack(earlier, read);
      result.earlier = result.frames == earlier.frames ? Earlier::kNoBetter : Earlier::kMended;
    } else {
      result = WriteAudioTrackAs(folder, MendedName(recorded->name), track.sectorCount, read);
      result.earlier = Earlier::kMendedBeside;
    }
  }
  if (std::optional<RecordedTrack> entry = RecordOf(track.number, result)) {
    rescue.RecordTrack(std::move(*entry));
  }
  return result;
}

std::map<int, AudioTrackResult> RecordedAudioTracks(const ImageRescue& rescue) {
  std::map<int, AudioTrackResult> tracks;
  for (const RecordedTrack& recorded : rescue.Tracks()) {
    AudioTrackResult track = ResultOf(recorded, rescue.Plan().folder);
    if (StillAsWritten(track, recorded)) tracks[recorded.number] = std::move(track);
  }
  return tracks;
}

}  // namespace orlenta
