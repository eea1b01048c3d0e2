// SPDX-License-Identifier: GPL-3.0-or-later
#include "drive_reads.h"

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "direct_reads.h"
#include "paranoia_reads.h"
#include "platform/disc_volume.h"
#include "platform/raw_sectors.h"
#include "platform/read_fully.h"

namespace orlenta {
namespace {

// The drive's 2,048-byte sectors, as the block device gives them.
class BlockSource final : public FramedSource {
 public:
  explicit BlockSource(std::shared_ptr<DriveHandle> drive) : drive_(std::move(drive)) {}
  std::size_t Read(uint64_t offset, std::span<uint8_t> into) override {
    return ReadBlockDevice(drive_->Fd(), offset, into, kForm1Bytes);
  }
  bool EndsBefore(uint64_t end, int readErrno) override {
    return MediumEndsBefore(drive_->Fd(), end, readErrno);
  }

 private:
  std::shared_ptr<DriveHandle> drive_;
};

// The disc as a raw image of 2,352-byte sectors, each read with the drive's raw read: byte
// `offset` is in sector offset / 2,352.
class RawReadSource final : public FramedSource {
 public:
  explicit RawReadSource(std::shared_ptr<DriveHandle> drive) : drive_(std::move(drive)) {}
  std::size_t Read(uint64_t offset, std::span<uint8_t> into) override {
    std::size_t done = 0;
    while (done < into.size()) {
      const uint64_t lba = (offset + done) / kRawSectorBytes;
      const std::size_t within = (offset + done) % kRawSectorBytes;
      if (!ReadRawSector(drive_->Fd(), lba, sector_)) break;
      const std::size_t length = std::min(into.size() - done, kRawSectorBytes - within);
      std::memcpy(into.data() + done, sector_.data() + within, length);
      done += length;
    }
    return done;
  }
  bool EndsBefore(uint64_t end, int readErrno) override {
    (void)end;
    return readErrno == ENOMEDIUM || readErrno == ENODEV || readErrno == ENXIO;
  }

 private:
  std::shared_ptr<DriveHandle> drive_;
  std::array<uint8_t, kRawSectorBytes> sector_{};
};

}  // namespace

DriveHandle::~DriveHandle() {
  if (fd_ >= 0) ::close(fd_);
}

bool ReadRawSector(int fd, uint64_t lba, std::span<uint8_t> into) {
  union {
    cdrom_msf msf;
    std::array<uint8_t, kRawSectorBytes> bytes;
  } read{};
  const uint64_t frames = lba + CD_MSF_OFFSET;
  read.msf.cdmsf_min0 = static_cast<__u8>(frames / (CD_SECS * CD_FRAMES));
  read.msf.cdmsf_sec0 = static_cast<__u8>(frames / CD_FRAMES % CD_SECS);
  read.msf.cdmsf_frame0 = static_cast<__u8>(frames % CD_FRAMES);
  if (into.size() < kRawSectorBytes || ::ioctl(fd, CDROMREADRAW, &read) != 0) return false;
  std::memcpy(into.data(), read.bytes.data(), kRawSectorBytes);
  return true;
}

bool SelectDriveSpeed(int fd, int speed) {
  return ::ioctl(fd, CDROM_SELECT_SPEED, speed) == 0;
}

std::unique_ptr<FramedSource> DriveTrackSource(std::shared_ptr<DriveHandle> drive,
                                               const SectorLayout& layout) {
  if (layout.rawMode == RawMode::kNone) return std::make_unique<BlockSource>(std::move(drive));
  return std::make_unique<RawReadSource>(std::move(drive));
}

std::unique_ptr<Volume> OpenDriveDisc(int fd, const SectorLayout& disc) {
  const auto drive = std::make_shared<DriveHandle>(fd);
  std::vector<TrackVolume> tracks;
  for (const DiscTrack& track : disc.tracks) {
    if (track.kind != TrackKind::kData || track.sectorCount == 0) continue;
    tracks.push_back({track.firstSector, track.sectorCount,
                      MakeRawVolume(DriveTrackSource(drive, track.layout), track.layout)});
  }
  return MakeDiscVolume(std::move(tracks), disc.sectorCount, MediumTracks(disc));
}

AudioFrameReader DriveAudioReader(const std::string& path, const DiscTrack& track,
                                  std::function<void()> readFailed) {
  const auto drive = std::make_shared<DriveHandle>(OpenBlockDeviceDirect(path));
  const uint64_t start = track.firstSector;
  return [drive, start, readFailed = std::move(readFailed)](
             uint64_t first, uint32_t count, std::span<uint8_t> into, std::span<FrameState>) {
    if (drive->Fd() < 0 || into.size() < std::size_t{count} * kRawSectorBytes) return false;
    cdrom_read_audio read{};
    read.addr.lba = static_cast<int>(start + first);
    read.addr_format = CDROM_LBA;
    read.nframes = static_cast<int>(count);
    read.buf = into.data();
    if (::ioctl(drive->Fd(), CDROMREADAUDIO, &read) != 0) {
      if (readFailed) readFailed();
      return false;
    }
    return true;
  };
}

AudioFrameReader AudioReaderFor(const SectorLayout& disc, const DiscTrack& track,
                                const DriveAudioReading& how) {
  if (!disc.inDrive) return ImageAudioReader(track);
  if (how.paranoia) {
    if (AudioFrameReader corrected = ParanoiaAudioReader(disc.dataPath, track, how.readFailed)) {
      return corrected;
    }
    if (how.withoutCorrection) how.withoutCorrection();
  }
  return DriveAudioReader(disc.dataPath, track, how.readFailed);
}

}  // namespace orlenta
