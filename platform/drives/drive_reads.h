// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "platform/audio_tracks.h"
#include "platform/raw_volume.h"
#include "platform/sector_layout.h"

namespace orlenta {

// An open optical drive, shared by the readers of its tracks; closed when the last goes.
class DriveHandle {
 public:
  explicit DriveHandle(int fd) : fd_(fd) {}
  ~DriveHandle();
  DriveHandle(const DriveHandle&) = delete;
  DriveHandle& operator=(const DriveHandle&) = delete;
  int Fd() const { return fd_; }

 private:
  int fd_;
};

// Reads sector `lba` of the disc in the drive open as `fd` whole, as the drive's own raw
// read gives it: 2,352 bytes with sync, header and subheader. False when it cannot be read.
bool ReadRawSector(int fd, uint64_t lba, std::span<uint8_t> into);

// Asks the drive open as `fd` to read at `speed` times a music CD's speed. False when the
// drive refuses.
bool SelectDriveSpeed(int fd, int speed);

// Framed sectors of a drive's data track: `layout` says whether they come from the drive's
// 2,048-byte reads or its raw reads (Mode 2, whose Form 2 sectors only a raw read gives).
std::unique_ptr<FramedSource> DriveTrackSource(std::shared_ptr<DriveHandle> drive,
                                               const SectorLayout& layout);

// The disc in the drive open as `fd` (which the volume closes) as one volume: each data
// track of `disc` read as its layout says, every other sector never read.
std::unique_ptr<Volume> OpenDriveDisc(int fd, const SectorLayout& disc);

// Reads the frames of the audio track `track` from the drive at `path` with the drive's
// plain audio read (the kernel's CDROMREADAUDIO); `readFailed` (when given) hears of each
// read that fails.
AudioFrameReader DriveAudioReader(const std::string& path, const DiscTrack& track,
                                  std::function<void()> readFailed = nullptr);

// How the audio of a disc in a drive is read.
struct DriveAudioReading {
  // Through the error correction (ParanoiaAudioReader); else, or when it cannot open the
  // drive, with the drive's plain audio reads.
  bool paranoia = true;
  // Told of every read of the drive's audio that fails.
  std::function<void()> readFailed = nullptr;
  // Told, for each track, when the error correction was asked for but libcdio cannot open
  // the drive, so that the plain reads are used instead.
  std::function<void()> withoutCorrection = nullptr;
};

// The frames of the audio track `track` of `disc`: from the drive the disc is in, read as
// `how` says, or from the data file its cue sheet names.
AudioFrameReader AudioReaderFor(const SectorLayout& disc, const DiscTrack& track,
                                const DriveAudioReading& how = {});

}  // namespace orlenta
