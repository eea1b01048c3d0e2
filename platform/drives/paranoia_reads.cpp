// SPDX-License-Identifier: GPL-3.0-or-later
#include "paranoia_reads.h"

#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

namespace orlenta {
namespace {

using DriveRead = long (*)(cdrom_drive_t*, void*, lsn_t, long);

// What the reads of one track have met so far: the frames the drive gave back at least once
// and those the error correction gave up on.
struct TrackReads {
  uint64_t start = 0;
  std::vector<bool> everRead;
  std::set<uint64_t> givenUp;
  const std::function<void()>* readFailed = nullptr;
  DriveRead read = nullptr;  // the library's own read of the drive
  uint64_t noise = 0x9E3779B97F4A7C15u;
};

// The error correction's callbacks carry no pointer of ours: the reading thread points this
// at the track it reads, for the length of each read.
thread_local TrackReads* tReads = nullptr;

void Told(long position, paranoia_cb_mode_t what) {
  if (tReads && what == PARANOIA_CB_SKIP && position >= 0) {
    tReads->givenUp.insert(static_cast<uint64_t>(position) / CD_FRAMEWORDS);
  }
}

// Fills `frame` with noise that no other read of it repeats.
void FillWithNoise(uint8_t* frame, uint64_t& state) {
  for (std::size_t i = 0; i < kAudioFrameBytes; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    frame[i] = static_cast<uint8_t>(state);
  }
}

// Every read of the drive goes through here, so that the frames that came back are known.
// A read of several frames fails whole at one bad frame: its frames are then read one by
// one, and each that fails is handed on as noise, which never agrees with another read of
// it. So the correction gives up on the bad frames alone, never on their neighbours, and
// never takes a bad frame for verified; the frame is written as silence (ReadFrame).
long ReadNoted(cdrom_drive_t* drive, void* into, lsn_t first, long count) {
  TrackReads* reads = tReads;
  if (!reads) return -1;
  // Reads into no buffer only move the drive on (past its cache).
  if (!into) return reads->read(drive, into, first, count);
  auto* bytes = static_cast<uint8_t*>(into);
  const long got = reads->read(drive, into, first, count);
  for (long i = 0; i < count; ++i) {
    uint8_t* frame = bytes + i * kAudioFrameBytes;
    const bool read = i < got || reads->read(drive, frame, first + i, 1) == 1;
    const uint64_t index = static_cast<uint64_t>(first + i) - reads->start;
    if (read && index < reads->everRead.size()) reads->everRead[index] = true;
    if (!read) FillWithNoise(frame, reads->noise);
  }
  if (got < count && *reads->readFailed) (*reads->readFailed)();
  return count;
}

// The drive opened for the error correction over one track; closed when the last reader of
// it goes.
class ParanoiaTrack {
 public:
  ParanoiaTrack(const std::string& path, const DiscTrack& track, std::function<void()> readFailed)
      : readFailed_(std::move(readFailed)) {
    reads_.start = track.firstSector;
    reads_.everRead.assign(track.sectorCount, false);
    reads_.readFailed = &readFailed_;
    char* messages = nullptr;
    drive_ = cdio_cddap_identify(path.c_str(), CDDA_MESSAGE_FORGETIT, &messages);
    std::free(messages);
    if (!drive_) return;
    cdio_cddap_verbose_set(drive_, CDDA_MESSAGE_FORGETIT, CDDA_MESSAGE_FORGETIT);
    // The drives libcdio reads with packet commands give their samples little-endian. Left
    // unknown, the byte order is guessed from how the first samples sound, and noise or a
    // quiet track can be taken for big-endian: every sample's bytes would be swapped.
    drive_->bigendianp = 0;
    if (cdio_cddap_open(drive_) != 0 || !drive_->read_audio) return;
    reads_.read = drive_->read_audio;
    drive_->read_audio = ReadNoted;
    // A failing read is tried again by the correction, which knows what it still needs:
    // the library's own retries would only make each bad frame cost more failing reads.
    drive_->error_retry = 0;
    paranoia_ = cdio_paranoia_init(drive_);
    if (paranoia_) paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
  }
  ~ParanoiaTrack() {
    if (paranoia_) cdio_paranoia_free(paranoia_);
    if (drive_) cdio_cddap_close(drive_);
  }
  ParanoiaTrack(const ParanoiaTrack&) = delete;
  ParanoiaTrack& operator=(const ParanoiaTrack&) = delete;

  bool Open() const { return paranoia_ != nullptr; }

  // Reads the track's frame `frame` into `into` (2,352 bytes, little-endian samples) and
  // says what it holds; nullopt when nothing came back at all.
  std::optional<FrameState> ReadFrame(uint64_t frame, std::span<uint8_t> into) {
    if (frame != next_)
      paranoia_seek(paranoia_, static_cast<off_t>(reads_.start + frame), SEEK_SET);
    tReads = &reads_;
    const int16_t* samples = cdio_paranoia_read_limited(paranoia_, Told, kParanoiaRetries);
    tReads = nullptr;
    if (!samples) return std::nullopt;
    next_ = frame + 1;
    // A frame the drive never gave back is silence; one the correction gave up on was
    // taken from reads that did not agree.
    const bool everRead = frame < reads_.everRead.size() && reads_.everRead[frame];
    if (!everRead) {
      std::fill_n(into.begin(), kAudioFrameBytes, uint8_t{0});
      return FrameState::kSilence;
    }
    std::memcpy(into.data(), samples, kAudioFrameBytes);
    if constexpr (std::endian::native == std::endian::big) {
      for (std::size_t i = 0; i + 1 < kAudioFrameBytes; i += 2) std::swap(into[i], into[i + 1]);
    }
    return reads_.givenUp.contains(reads_.start + frame) ? FrameState::kUnrepaired
                                                         : FrameState::kRead;
  }

 private:
  std::function<void()> readFailed_;
  TrackReads reads_;
  cdrom_drive_t* drive_ = nullptr;
  cdrom_paranoia_t* paranoia_ = nullptr;
  uint64_t next_ = ~uint64_t{0};
};

}  // namespace

AudioFrameReader ParanoiaAudioReader(const std::string& path, const DiscTrack& track,
                                     std::function<void()> readFailed) {
  auto reader = std::make_shared<ParanoiaTrack>(path, track, std::move(readFailed));
  if (!reader->Open()) return nullptr;
  return [reader](uint64_t first, uint32_t count, std::span<uint8_t> into,
                  std::span<FrameState> states) {
    if (into.size() < std::size_t{count} * kAudioFrameBytes || states.size() < count) return false;
    for (uint32_t i = 0; i < count; ++i) {
      const std::optional<FrameState> state = reader->ReadFrame(
          first + i, into.subspan(std::size_t{i} * kAudioFrameBytes, kAudioFrameBytes));
      if (!state) return false;
      states[i] = *state;
    }
    return true;
  };
}

}  // namespace orlenta
